#pragma once

// The form templates of the pages and windows that more than one place names: the form of
// template N is the file "N.ui". A dialog that only its own class opens keeps its number
// there (kTemplate).
namespace tavro {

inline constexpr int kTemplateCommSetup = 138;
inline constexpr int kTemplateIdSearch = 157;
inline constexpr int kTemplateComSelect = 200;
inline constexpr int kTemplateMain = 202;
inline constexpr int kTemplateDetail = 204;
inline constexpr int kTemplateBrowser = 205;
inline constexpr int kTemplateIoPage = 210;
inline constexpr int kTemplateBasicPage = 211;
inline constexpr int kTemplateStepPage = 212;
inline constexpr int kTemplateDrivePage = 213;

}  // namespace tavro
