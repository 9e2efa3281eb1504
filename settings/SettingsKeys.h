#pragma once

// Sections and keys of the profile file written by the settings object.
namespace qel::keys {

inline constexpr const char* ProfileFileName = "Qel.ini";

inline constexpr const char* Locations = "Locations";
inline constexpr const char* DBaseLocation = "Qel_DBaseLocation";
inline constexpr const char* FileLocation = "Qel_File_Location";
inline constexpr const char* NotEntered = "Not_Entered";

inline constexpr const char* Options = "Options";
inline constexpr const char* StayOnTop = "Stay_On_Top";

inline constexpr const char* Qel = "Qel";
inline constexpr const char* FirstTimeRun = "First_Time_Run";

} // namespace qel::keys
