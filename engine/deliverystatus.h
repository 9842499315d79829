#pragma once
// The status texts of one delivery. The status and diagnosis windows sort nodes by these exact
// texts, so they are spelled once, here.
#include <QLatin1String>

namespace corvane {

inline constexpr QLatin1String kSent("The message was successfully sent");
inline constexpr QLatin1String kClientSent("Winsock Communication Successfull");
inline constexpr QLatin1String kNoPing("No reply to PING");
inline constexpr QLatin1String kClientFailed("Winsock Failed to Connect to Client");
inline constexpr QLatin1String kServiceError("Service or Comms Error");
inline constexpr QLatin1String kDomainFailed("The message to DOMAIN failed");

} // namespace corvane
