#pragma once

// The project's own web pages that the main dialog opens.

namespace velmora {

inline constexpr char16_t kAboutPage[] = u"https://velmora.example.org/about";
inline constexpr char16_t kDonatePage[] = u"https://velmora.example.org/donate";

}  // namespace velmora
