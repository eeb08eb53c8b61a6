#pragma once

#include <span>

#include "ui/FormTypes.h"

// What the program's form files promise beyond the presentation and binding tables: the
// templates there are, the order Tab walks through each form, and which radio buttons
// exclude each other. Shared by the toolkit-free checks and the Qt ones.
namespace tavro::test::forms {

inline constexpr int kTemplates[] = {200, 157, 214, 202, 210, 211, 212,
                                     213, 205, 100, 206, 203, 138, 204};
inline constexpr int kPages[] = {210, 211, 212, 213};
inline constexpr int kMainWindow = 202;

// Picture numbers the program asks for: program icon, toolbar icons, About picture, lamps,
// and the illustrations of the Basic and Step pages.
inline constexpr int kPictures[] = {100, 110, 111, 112, 113, 114, 115, 116, 117, 130,
                                    132, 133, 139, 140, 141, 142, 144, 145, 146, 147,
                                    150, 170, 171, 172, 173, 174, 175, 176};

// A sequence of controls that Tab visits in this order (others may come between them).
struct TabOrder {
    int form;
    std::span<const ui::ControlId> controls;
};

inline constexpr ui::ControlId kTab200[] = {1200, 1203, 1003, 2};
inline constexpr ui::ControlId kTab157[] = {1146, 1148, 3, 1153, 1143, 1150, 4, 2};
inline constexpr ui::ControlId kTab214[] = {1125, 1126, 1004, 2};
inline constexpr ui::ControlId kTab210[] = {1430, 1431, 1432, 1433, 1440, 1402, 1441,
                                            1403, 1442, 1404, 1443, 1405, 1444, 1445,
                                            1446, 1450, 1452, 1453, 1401, 1400};
inline constexpr ui::ControlId kTab211[] = {1511, 1512, 1541, 1521, 1522, 1523,
                                            1531, 1532, 1533, 1501, 1500};
inline constexpr ui::ControlId kTab212[] = {1601, 1602, 1603, 1604, 1611, 1612, 1621,
                                            1622, 1660, 1661, 1662, 1663, 1664, 1665,
                                            1666, 1667, 1668, 1669, 1670, 1690};
inline constexpr ui::ControlId kTab213[] = {1722, 1723, 1721, 1033, 1740, 1741, 1751, 1752, 1755,
                                            1753, 1757, 1758, 1759, 1762, 1763, 1764, 1765, 1780,
                                            1771, 1772, 1774, 1787, 1788, 1782, 1781, 1783, 1784};
inline constexpr ui::ControlId kTab100[] = {1212, 1215, 1};
inline constexpr ui::ControlId kTab206[] = {1044};
inline constexpr ui::ControlId kTab203[] = {1950, 1951, 1952};
inline constexpr ui::ControlId kTab138[] = {1022, 1019, 1020, 1018, 1014};
inline constexpr ui::ControlId kTab204[] = {
    1802, 1803, 1804, 1805, 1806, 1807, 1808, 1809, 1906, 1883, 1884, 1891, 1885, 1886, 1887, 1877,
    1888, 1889, 1890, 1006, 1014, 1009, 1878, 1879, 1880, 1892, 1893, 1894, 1895, 1882, 1881, 1902,
    1903, 1904, 1905, 1850, 1851, 1852, 1853, 1854, 1855, 1856, 1857, 1858, 1859, 1860, 1861, 1862,
    1863, 1864, 1865, 1866, 1867, 1872, 1875, 1901, 1874, 1898, 1899, 1900, 1810};

inline constexpr TabOrder kTabOrders[] = {
    {200, kTab200}, {157, kTab157}, {214, kTab214}, {210, kTab210}, {211, kTab211}, {212, kTab212},
    {213, kTab213}, {100, kTab100}, {206, kTab206}, {203, kTab203}, {138, kTab138}, {204, kTab204},
};

// Radio buttons that exclude each other: each group is all the radios its holder holds.
struct RadioGroup {
    int form;
    std::span<const ui::ControlId> radios;
};

inline constexpr ui::ControlId kControlTypes[] = {1125, 1126};
inline constexpr ui::ControlId kOriginMethods[] = {1521, 1522, 1523};
inline constexpr ui::ControlId kInputMethods[] = {1531, 1532, 1533};
inline constexpr ui::ControlId kStepOperation[] = {1660, 1661};
inline constexpr ui::ControlId kStepMovement[] = {1662, 1663};
inline constexpr ui::ControlId kTransition[] = {1787, 1788};
inline constexpr ui::ControlId kDetailOrigin[] = {1885, 1886, 1887};
inline constexpr ui::ControlId kDetailInput[] = {1888, 1889, 1890};
inline constexpr ui::ControlId kPulseLogic[] = {1892, 1893};
inline constexpr ui::ControlId kDriveDirection[] = {1894, 1895};
inline constexpr ui::ControlId kClrBehaviour[] = {1902, 1903};
inline constexpr ui::ControlId kSvonBehaviour[] = {1904, 1905};
inline constexpr ui::ControlId kDetailOperation[] = {1850, 1851};
inline constexpr ui::ControlId kDetailMovement[] = {1852, 1853};

inline constexpr RadioGroup kRadioGroups[] = {
    {214, kControlTypes},    {211, kOriginMethods},  {211, kInputMethods}, {212, kStepOperation},
    {212, kStepMovement},    {213, kTransition},     {204, kDetailOrigin}, {204, kDetailInput},
    {204, kPulseLogic},      {204, kDriveDirection}, {204, kClrBehaviour}, {204, kSvonBehaviour},
    {204, kDetailOperation}, {204, kDetailMovement},
};

// Controls that share one place, only one of them shown at a time.
struct SharedPlace {
    int form;
    ui::ControlId first;
    ui::ControlId second;
};

inline constexpr SharedPlace kSharedPlaces[] = {
    {157, 1152, 1156},
    {212, 1680, 1681},
    {213, 1766, 1767},
    {204, 1870, 1871},
};

}  // namespace tavro::test::forms
