#pragma once
// The project's own addresses and words, as the help menu and the about box give them.
#include <QString>

namespace corvane::vendor {

inline const QString SupportAddress = QStringLiteral("support@corvane.example");
// The closing sentence of the support box.
inline const QString SupportThanks = QStringLiteral("Thank you for helping us make Corvane Server better.");
inline const QString WebPage = QStringLiteral("https://www.corvane.example/");
// The about box's link to the maker's web page.
inline const QString MakerLinkText = QStringLiteral("Made by the Corvane Server project - www.corvane.example");

} // namespace corvane::vendor
