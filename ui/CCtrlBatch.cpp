#include "ui/CCtrlBatch.h"

#include <algorithm>
#include <cstddef>

namespace tavro::ui {

namespace {

constexpr std::array<int, kLinkStateCount> kAll{1, 1, 1, 1, 1};

constexpr CaptionRow kComSelectRows[] = {
    {kTemplateComSelect, 1201, 232, 1, kSwShow, 232, 1, kSwShow, kAll},
    {kTemplateComSelect, 1202, 235, 1, kSwShow, 235, 1, kSwShow, kAll},
    {kTemplateComSelect, 1003, 236, 1, kSwShow, 236, 1, kSwShow, kAll},
    {kTemplateComSelect, 2, 233, 1, kSwShow, 233, 1, kSwShow, kAll},
};

constexpr CaptionRow kIdSearchRows[] = {
    {kTemplateIdSearch, 3, 263, 1, kSwShow, 263, 1, kSwShow, kAll},
    {kTemplateIdSearch, 1150, 265, 1, kSwShow, 265, 1, kSwShow, kAll},
    {kTemplateIdSearch, 1153, 269, 1, kSwShow, 269, 1, kSwShow, kAll},
    {kTemplateIdSearch, 1155, 278, 1, kSwShow, 278, 1, kSwShow, kAll},
    {kTemplateIdSearch, 1145, 270, 1, kSwShow, 270, 1, kSwShow, kAll},
    {kTemplateIdSearch, 1154, 271, 1, kSwShow, 271, 1, kSwShow, kAll},
    {kTemplateIdSearch, 1149, 272, 1, kSwShow, 272, 1, kSwShow, kAll},
    {kTemplateIdSearch, 1147, 275, 1, kSwShow, 275, 1, kSwShow, kAll},
    {kTemplateIdSearch, 1156, 274, 1, kSwHide, 274, 1, kSwHide, kAll},
};

// Controls of the pages beyond the 176 rows: "Compare with file..." beside Save and Open of the
// Step Data Setup page, enabled as they are (offline it compares two files).
constexpr CaptionRow kAddedPageRows[] = {
    {kTemplateStepPage, 3310, 0, 1, kSwShow, 0, 1, kSwShow, {1, 1, 1, 0, 1}},
};

constexpr CaptionTable kComSelectTable{{kTemplateComSelect, 230}, kComSelectRows};
constexpr CaptionTable kIdSearchTable{{kTemplateIdSearch, 260}, kIdSearchRows};

// The four pages. Each row: dialog, control, caption / enable mask / show value for the
// step-data type, the same for the pulse type, then the flags of link states 0 to 4.
// clang-format off
constexpr CaptionRow kPageRows[] = {
    // I/O Setup
    {210, 1401, 415, 1, 5, 415, 1, 5, {0, 1, 0, 0, 0}},
    {210, 1400, 416, 1, 5, 416, 1, 5, {1, 0, 0, 0, 0}},
    {210, 1047, 460, 1, 5, 460, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1048, 461, 1, 5, 461, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1049, 462, 1, 5, 462, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1050, 463, 1, 5, 463, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1051, 464, 1, 5, 464, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1052, 465, 1, 5, 504, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1053, 466, 1, 5, 505, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1054, 467, 1, 5, 506, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1055, 468, 1, 5, 468, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1056, 469, 1, 5, 469, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1057, 470, 1, 5, 470, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1058, 471, 1, 5, 471, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1059, 472, 1, 5, 472, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1036, 480, 1, 5, 480, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1037, 481, 1, 5, 481, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1423, 408, 1, 5, 408, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1426, 409, 1, 5, 409, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1060, 490, 1, 5, 490, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1061, 491, 1, 5, 491, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1062, 492, 1, 5, 492, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1063, 493, 1, 5, 493, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1064, 494, 1, 5, 494, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1066, 496, 1, 5, 496, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1067, 496, 1, 5, 496, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1068, 496, 1, 5, 496, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1069, 496, 1, 5, 496, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1070, 497, 1, 5, 497, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1071, 498, 1, 5, 498, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1072, 499, 1, 5, 499, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1010, 275, 1, 5, 275, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1011, 275, 1, 5, 275, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1424, 410, 1, 5, 410, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1073, 507, 1, 0, 507, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1428, 0, 1, 0, 0, 1, 5, {1, 1, 1, 1, 1}},
    {210, 1430, 420, 1, 5, 420, 1, 5, {1, 0, 0, 0, 1}},
    {210, 1431, 421, 1, 5, 421, 1, 5, {1, 0, 0, 0, 1}},
    {210, 1432, 422, 1, 5, 422, 1, 5, {1, 0, 0, 0, 1}},
    {210, 1433, 423, 1, 5, 423, 1, 5, {1, 0, 0, 0, 1}},
    {210, 1402, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {210, 1403, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {210, 1404, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {210, 1405, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {210, 1440, 0, 1, 5, 0, 1, 5, {1, 1, 0, 0, 1}},
    {210, 1441, 0, 1, 5, 0, 1, 5, {1, 1, 0, 0, 1}},
    {210, 1442, 0, 1, 5, 0, 1, 5, {1, 1, 0, 0, 1}},
    {210, 1443, 0, 1, 5, 0, 1, 5, {1, 1, 0, 0, 1}},
    {210, 1444, 0, 1, 5, 0, 1, 5, {1, 1, 0, 0, 1}},
    {210, 1445, 0, 1, 5, 0, 1, 5, {1, 1, 0, 0, 1}},
    {210, 1446, 0, 1, 5, 0, 1, 5, {1, 1, 0, 0, 1}},
    {210, 1450, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {210, 1452, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {210, 1453, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {210, 1427, 412, 1, 0, 412, 1, 0, {1, 1, 1, 1, 1}},

    // Basic Parameter Setup
    {211, 1510, 530, 1, 5, 530, 1, 5, {1, 1, 1, 1, 1}},
    {211, 1550, 560, 1, 5, 560, 1, 5, {1, 1, 1, 1, 1}},
    {211, 1551, 561, 1, 5, 561, 1, 5, {1, 1, 1, 1, 1}},
    {211, 1553, 564, 1, 5, 564, 1, 5, {1, 1, 1, 1, 1}},
    {211, 1552, 562, 1, 5, 563, 1, 5, {1, 1, 1, 1, 1}},
    {211, 1501, 531, 1, 5, 531, 1, 5, {0, 1, 0, 0, 1}},
    {211, 1500, 532, 1, 5, 532, 1, 5, {1, 0, 0, 0, 1}},
    {211, 1511, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {211, 1512, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {211, 1541, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {211, 1521, 541, 1, 5, 541, 1, 5, {1, 1, 1, 0, 1}},
    {211, 1522, 542, 1, 5, 542, 1, 5, {1, 1, 1, 0, 1}},
    {211, 1523, 543, 1, 5, 543, 1, 5, {1, 1, 1, 0, 1}},
    {211, 1531, 544, 1, 5, 549, 1, 5, {1, 1, 1, 0, 1}},
    {211, 1532, 545, 1, 5, 550, 1, 5, {1, 1, 1, 0, 1}},
    {211, 1533, 545, 1, 0, 551, 1, 5, {1, 1, 1, 0, 1}},

    // Step Data Setup
    {212, 1601, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1602, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1603, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1611, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1612, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1640, 660, 1, 5, 660, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1660, 661, 1, 5, 661, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1661, 662, 1, 5, 662, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1641, 663, 1, 5, 663, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1662, 664, 1, 5, 664, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1663, 665, 1, 5, 665, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1642, 666, 1, 5, 666, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1643, 667, 1, 5, 667, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1644, 670, 1, 5, 670, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1645, 671, 1, 5, 671, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1647, 672, 1, 5, 672, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1649, 673, 1, 5, 673, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1650, 674, 1, 5, 674, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1690, 0, 1, 5, 0, 1, 5, {1, 1, 1, 0, 1}},
    {212, 1604, 0, 1, 5, 0, 0, 5, {1, 0, 0, 0, 1}},
    {212, 1621, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {212, 1622, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {212, 1664, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {212, 1665, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {212, 1666, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {212, 1667, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {212, 1668, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {212, 1669, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {212, 1670, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {212, 1073, 690, 1, 5, 690, 1, 5, {1, 1, 1, 1, 1}},
    {212, 1074, 691, 1, 5, 691, 1, 5, {1, 1, 1, 1, 1}},
    {212, 1075, 692, 1, 5, 692, 1, 5, {1, 1, 1, 1, 1}},
    {212, 1076, 693, 1, 5, 693, 1, 5, {1, 1, 1, 1, 1}},
    {212, 1077, 694, 1, 5, 694, 1, 5, {1, 1, 1, 1, 1}},
    {212, 1078, 695, 1, 5, 695, 1, 5, {1, 1, 1, 1, 1}},

    // Monitor/Test
    {213, 1033, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 1}},
    {213, 1079, 778, 1, 5, 778, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1081, 779, 1, 5, 779, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1080, 780, 1, 5, 780, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1083, 781, 1, 5, 781, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1082, 782, 1, 5, 782, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1084, 783, 1, 5, 783, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1085, 784, 1, 5, 784, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1100, 799, 1, 5, 799, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1700, 715, 1, 5, 715, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1701, 716, 1, 5, 716, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1702, 717, 1, 5, 725, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1703, 718, 1, 5, 726, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1704, 719, 1, 5, 727, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1086, 785, 1, 5, 785, 1, 5, {1, 1, 1, 1, 0}},
    {213, 1087, 786, 1, 5, 786, 1, 5, {1, 1, 1, 1, 0}},
    {213, 1088, 787, 1, 5, 787, 1, 5, {1, 1, 1, 1, 0}},
    {213, 1090, 788, 1, 5, 788, 1, 5, {1, 1, 1, 1, 0}},
    {213, 1091, 789, 1, 5, 789, 1, 5, {1, 1, 1, 1, 0}},
    {213, 1089, 790, 1, 5, 790, 1, 5, {1, 1, 1, 1, 0}},
    {213, 1092, 791, 1, 5, 791, 1, 5, {1, 1, 1, 1, 0}},
    {213, 1093, 792, 1, 5, 792, 1, 5, {1, 1, 1, 1, 0}},
    {213, 1094, 793, 1, 5, 793, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1756, 751, 1, 5, 751, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1095, 795, 1, 5, 795, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1096, 796, 1, 5, 796, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1097, 797, 1, 5, 797, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1098, 798, 1, 5, 798, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1099, 774, 1, 5, 774, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1775, 755, 1, 5, 755, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1786, 756, 1, 5, 756, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1785, 757, 1, 5, 757, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1770, 0, 1, 5, 0, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1773, 0, 1, 5, 0, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1130, 0, 1, 5, 0, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1786, 0, 1, 5, 0, 0, 5, {1, 1, 1, 1, 0}},
    {213, 1734, 732, 0, 5, 732, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1100, 799, 0, 5, 799, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1101, 781, 0, 5, 781, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1710, 728, 1, 0, 728, 1, 5, {1, 1, 1, 1, 1}},
    {213, 1740, 758, 1, 5, 758, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1741, 760, 1, 5, 760, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1034, 733, 1, 5, 733, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1751, 744, 1, 5, 744, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1752, 745, 1, 5, 745, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1755, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1753, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1757, 748, 1, 5, 748, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1758, 749, 1, 5, 749, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1759, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1721, 731, 1, 5, 731, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1722, 810, 1, 5, 810, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1723, 811, 1, 5, 811, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1760, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1754, 0, 1, 5, 0, 1, 5, {1, 0, 0, 0, 0}},
    {213, 1035, 736, 1, 5, 736, 1, 5, {0, 0, 0, 0, 1}},
    {213, 1762, 0, 1, 5, 0, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1771, 0, 1, 5, 0, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1763, 766, 1, 5, 766, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1764, 767, 1, 5, 767, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1765, 768, 1, 5, 768, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1780, 0, 1, 5, 0, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1783, 776, 1, 5, 776, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1772, 766, 1, 5, 766, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1782, 775, 1, 5, 775, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1781, 0, 1, 5, 0, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1774, 0, 1, 5, 0, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1787, 800, 1, 5, 800, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1788, 801, 1, 5, 801, 0, 5, {1, 0, 0, 0, 0}},
    {213, 1784, 777, 1, 5, 777, 0, 5, {0, 0, 0, 0, 0}},
};
// clang-format on
static_assert(std::size(kPageRows) == 176);

constexpr LabelRow kLabelRows[] = {
    {kTemplateIoPage, 1065, 444},  // AREA B
    {kTemplateIoPage, 1074, 442},  // OVC
    {kTemplateIoPage, 1075, 443},  // OVT
    {kTemplateIoPage, 1076, 438},  // output functions: BUSY, ALARM, OUT0, OUT1
    {kTemplateIoPage, 1077, 439},    {kTemplateIoPage, 1078, 440}, {kTemplateIoPage, 1079, 441},
    {kTemplateIoPage, 1402, 445},  // the current position into an area field
    {kTemplateIoPage, 1403, 445},    {kTemplateIoPage, 1404, 445}, {kTemplateIoPage, 1405, 445},
    {kTemplateDrivePage, 1130, 802},  // the marker of note 755
    {kTemplateDrivePage, 1773, 802},
};

constexpr ComboRow kComboRows[] = {
    {0, kTemplateIoPage, 1450, 7, {424, 425, 426, 427, 428, 429, 430}},
    {0, kTemplateIoPage, 1451, 1, {421}},
    {0, kTemplateIoPage, 1452, 9, {424, 425, 426, 427, 428, 429, 430, 431, 432}},
    {0, kTemplateIoPage, 1453, 9, {424, 425, 426, 427, 428, 429, 430, 431, 432}},
    {0, kTemplateBasicPage, 1511, 4, {533, 534, 535, 536}},
    {0, kTemplateBasicPage, 1512, 5, {533, 537, 538, 539, 540}},
    {0, kTemplateBasicPage, 1541, 2, {546, 547}},
    {1, kTemplateDrivePage, 1762, 2, {762, 765}},
    {1, kTemplateDrivePage, 1771, 3, {763, 764, 765}},
};

// Indexed by the series index: "Select", "Nil", "F", "M".
constexpr StrokeChoice kStrokeChoices[] = {
    {5, {533, 537, 538, 539, 540}},
    {4, {533, 537, 538, 539}},
    {5, {533, 537, 538, 539, 540}},
    {2, {533, 540}},
};

constexpr int kLeft = 0;
constexpr int kRight = 1;
constexpr int kCentre = 2;

constexpr ListColumnRow kStepListColumns[] = {
    {32, 675, kCentre, kCellRowNumber, {1, 1, 0}, 0},
    {62, 676, kCentre, kCellString, {685, 685, 686}, 0},
    {60, 677, kCentre, kCellString, {687, 687, 687}, 0},
    {60, 678, kRight, kCellNumber, {0, 0, 0}, 3},
    {60, 679, kRight, kCellNumber, {0, 0, 0}, 2},
    {47, 680, kRight, kCellNumber, {0, 0, 0}, 0},
    {48, 681, kRight, kCellNumber, {0, 0, 0}, 0},
    {48, 682, kRight, kCellNumber, {0, 0, 0}, 0},
    {73, 683, kRight, kCellNumber, {10, 10, 10}, 1},
    {60, 684, kRight, kCellNumber, {0, 0, 0}, 0},
};

constexpr ListColumnRow kContinuousColumns[] = {
    {85, 770, kLeft, kCellEmpty, {0, 0, 0}, 0},
    {50, 771, kLeft, kCellRowNumber, {1, 1, 1}, 0},
    {228, 772, kLeft, kCellString, {763, 763, 763}, 0},
    {90, 773, kLeft, kCellString, {732, 732, 732}, 0},
};

constexpr ListColumnRow kDetailStepColumns[] = {
    {28, 940, kCentre, kCellRowNumber, {1, 1, 0}, 0},
    {62, 941, kCentre, kCellString, {685, 685, 686}, 0},
    {60, 942, kCentre, kCellString, {687, 687, 687}, 0},
    {60, 943, kRight, kCellNumber, {0, 0, 0}, 3},
    {60, 944, kRight, kCellNumber, {0, 0, 0}, 2},
    {48, 945, kRight, kCellNumber, {0, 0, 0}, 0},
    {48, 946, kRight, kCellNumber, {0, 0, 0}, 0},
    {48, 947, kRight, kCellNumber, {0, 0, 0}, 0},
    {72, 949, kRight, kCellNumber, {10, 10, 10}, 1},
    {72, 950, kRight, kCellNumber, {6, 6, 6}, 0},
    {60, 952, kRight, kCellNumber, {0, 0, 0}, 0},
    {72, 953, kRight, kCellNumber, {0, 0, 0}, 3},
    {55, 954, kRight, kCellNumber, {7, 7, 7}, 1},
    {88, 955, kRight, kCellNumber, {0, 0, 0}, 3},
    {88, 956, kRight, kCellNumber, {0, 0, 0}, 3},
};

constexpr ListColumnRow kPidSetColumns[] = {
    {40, 957, kLeft, kCellRowNumber, {1, 1, 0}, 0},
    {90, 958, kLeft, kCellString, {963, 963, 963}, 0},
};

constexpr ListColumnRow kPidColumns[] = {
    {140, 964, kLeft, kCellString, {959, 959, 959}, 0},
    {140, 965, kLeft, kCellNumber, {0.1F, 0.1F, 0.1F}, 1},
    {140, 967, kLeft, kCellNumber, {0.001F, 0.001F, 0.001F}, 3},
    {140, 966, kLeft, kCellNumber, {0.0001F, 0.0001F, 0.0001F}, 4},
};

constexpr ListRow kListRows[] = {
    {0, kTemplateBrowser, 1030, {15, 15, 4}, kStepListColumns},
    {0, kTemplateStepPage, 1690, {15, 15, 4}, kStepListColumns},
    {1, kTemplateDrivePage, 1780, {20, 20, 20}, kContinuousColumns},
    {0, kTemplateDetail, 1872, {15, 15, 4}, kDetailStepColumns},
    {0, kTemplateDetail, 1875, {15, 15, 4}, kPidSetColumns},
    {0, kTemplateDetail, 1874, {16, 16, 5}, kPidColumns},
};

constexpr int kScales[] = {1, 10, 100, 1000, 10000, 100000};
constexpr const char* kFormats[] = {"%.0f", "%.1f", "%.2f", "%.3f", "%.4f", "%.5f"};

constexpr int kNumberedItems = 15;

int ClampK(int k) {
    return std::clamp(k, 0, static_cast<int>(std::size(kScales)) - 1);
}

bool IsPulse(int controlType) {
    return controlType == 2;
}

std::size_t TypeIndex(int controlType) {
    return controlType == 1 || controlType == 2 ? static_cast<std::size_t>(controlType) : 0;
}

Align ToAlign(int align) {
    switch (align) {
        case kRight:
            return Align::kRight;
        case kCentre:
            return Align::kCentre;
        default:
            return Align::kLeft;
    }
}

}  // namespace

std::span<const CaptionRow> CCtrlBatch::PageRows() {
    return kPageRows;
}

std::span<const CaptionRow> CCtrlBatch::AddedPageRows() {
    return kAddedPageRows;
}

std::span<const LabelRow> CCtrlBatch::LabelRows() {
    return kLabelRows;
}

const CaptionTable& CCtrlBatch::ComSelectTable() {
    return kComSelectTable;
}

const CaptionTable& CCtrlBatch::IdSearchTable() {
    return kIdSearchTable;
}

std::span<const ComboRow> CCtrlBatch::ComboRows() {
    return kComboRows;
}

std::span<const StrokeChoice> CCtrlBatch::StrokeChoices() {
    return kStrokeChoices;
}

const StrokeChoice& CCtrlBatch::StrokeChoiceFor(int seriesIndex) {
    if (seriesIndex < 0 || seriesIndex >= static_cast<int>(std::size(kStrokeChoices))) {
        return kStrokeChoices[0];
    }
    return kStrokeChoices[static_cast<std::size_t>(seriesIndex)];
}

std::span<const ListRow> CCtrlBatch::ListRows() {
    return kListRows;
}

int CCtrlBatch::Scale(int k) {
    return kScales[static_cast<std::size_t>(ClampK(k))];
}

const char* CCtrlBatch::NumberFormat(int k) {
    return kFormats[static_cast<std::size_t>(ClampK(k))];
}

std::string CCtrlBatch::FormatScaled(double value, int k, int decimals) {
    return FormatPrintf(NumberFormat(decimals), value / Scale(k));
}

void CCtrlBatch::ApplyLabels(std::span<const LabelRow> rows, int dialog, Form& form,
                             const StringTable& strings) {
    for (const LabelRow& row : rows) {
        if (row.dialog == dialog) {
            form.SetText(row.control, strings.Text(row.text));
        }
    }
}

void CCtrlBatch::ApplyCaptions(std::span<const CaptionRow> rows, int dialog, Form& form,
                               int controlType, const StringTable& strings) {
    const bool pulse = IsPulse(controlType);
    for (const CaptionRow& row : rows) {
        if (row.dialog != dialog) {
            continue;
        }
        const int show = pulse ? row.showPulse : row.showStep;
        form.SetVisible(row.control, show != kSwHide);
        const int text = pulse ? row.textPulse : row.textStep;
        if (text != 0) {
            form.SetText(row.control, strings.Text(text));
        }
    }
}

void CCtrlBatch::ApplyCaptions(const CaptionTable& table, Form& form, int controlType,
                               const StringTable& strings) {
    if (table.header.caption != 0) {
        form.SetTitle(strings.Text(table.header.caption));
    }
    ApplyCaptions(table.rows, table.header.dialog, form, controlType, strings);
}

bool CCtrlBatch::IsEnabledIn(const CaptionRow& row, int linkState, int controlType) {
    if (linkState < 0 || linkState >= kLinkStateCount) {
        return false;
    }
    const int mask = IsPulse(controlType) ? row.enablePulse : row.enableStep;
    return row.states[static_cast<std::size_t>(linkState)] != 0 && mask != 0;
}

void CCtrlBatch::ApplyEnables(std::span<const CaptionRow> rows, int dialog, Form& form,
                              int linkState, int controlType) {
    for (const CaptionRow& row : rows) {
        if (row.dialog == dialog) {
            form.SetEnabled(row.control, IsEnabledIn(row, linkState, controlType));
        }
    }
}

void CCtrlBatch::FillComboItems(Form& form, ControlId control, std::span<const int> ids,
                                const StringTable& strings) {
    form.ClearItems(control);
    for (const int id : ids) {
        form.AddItem(control, id == 0 ? std::string_view() : strings.Text(id));
    }
    form.SetCurrentItem(control, 0);
}

void CCtrlBatch::FillCombos(std::span<const ComboRow> rows, int dialog, Form& form,
                            const StringTable& strings) {
    for (const ComboRow& row : rows) {
        if (row.dialog != dialog) {
            continue;
        }
        const auto count =
            static_cast<std::size_t>(std::clamp(row.count, 0, static_cast<int>(row.ids.size())));
        const std::span<const int> ids(row.ids.data(), count);
        if (row.withNumbers == 0 || ids.empty()) {
            FillComboItems(form, row.control, ids, strings);
            continue;
        }
        FillComboItems(form, row.control, ids.first(count - 1), strings);
        for (int n = 1; n <= kNumberedItems; ++n) {
            form.AddItem(row.control, strings.Format(ids.back(), n));
        }
        form.SetCurrentItem(row.control, 0);
    }
}

int CCtrlBatch::RowCountFor(const ListRow& list, int controlType) {
    return list.rowCount[TypeIndex(controlType)];
}

std::string CCtrlBatch::CellText(const ListColumnRow& column, int row, int controlType,
                                 const StringTable& strings) {
    const float initial = column.initial[TypeIndex(controlType)];
    switch (column.kind) {
        case kCellNumber: {
            const int decimals = ClampK(column.decimals);
            return FormatScaled(initial, decimals, decimals);
        }
        case kCellRowNumber:
            return std::to_string(static_cast<int>(initial) + row);
        case kCellString:
            return std::string(strings.Text(static_cast<int>(initial)));
        default:
            return {};
    }
}

void CCtrlBatch::BuildLists(std::span<const ListRow> rows, int dialog, Form& form, int controlType,
                            const StringTable& strings) {
    for (const ListRow& list : rows) {
        if (list.dialog != dialog) {
            continue;
        }
        form.ListClearColumns(list.control);
        std::size_t columns = 0;
        for (const ListColumnRow& column : list.columns) {
            const ListColumn look{column.width, std::string(strings.Text(column.heading)),
                                  ToAlign(column.align)};
            if (form.ListAddColumn(list.control, look) < 0) {
                break;
            }
            ++columns;
        }
        form.ListSetCheckBoxes(list.control, list.checkBoxes == 1);
        form.ListClearRows(list.control);
        const int count = RowCountFor(list, controlType);
        for (int r = 0; r < count; ++r) {
            const int row = form.ListInsertRow(list.control, -1);
            if (row < 0) {
                break;
            }
            for (std::size_t c = 0; c < columns; ++c) {
                form.ListSetCell(list.control, row, static_cast<int>(c),
                                 CellText(list.columns[c], r, controlType, strings));
            }
        }
        if (count > 0) {
            form.ListSelectRow(list.control, 0);
        }
    }
}

}  // namespace tavro::ui
