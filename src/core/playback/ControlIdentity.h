#pragma once

// The names the client's playback control is known by: its ProgID and its class identifier. The
// control module reports them to the registration companion, and the host asks the registry for
// them, so both sides read them from here.
namespace ControlIdentity {

inline constexpr const char kProgId[] = "zar.Player.1";
inline constexpr const char kClassId[] = "{DF24D5A5-5F13-4B79-976C-922C941C505A}";

}  // namespace ControlIdentity
