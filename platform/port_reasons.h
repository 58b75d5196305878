// Why a serial port refused, in the German words the failure box and cv2cli
// show: the same on every platform, whichever system call said no.
#pragma once

namespace cv2 {

inline constexpr const char* kNoSuchDevice =
    "das Gerät gibt es nicht (nicht angeschlossen oder falscher Name)";
inline constexpr const char* kDeviceBusy =
    "das Gerät ist belegt: ein anderes Programm benutzt die Schnittstelle";
inline constexpr const char* kAlreadyOpen = "die Schnittstelle ist schon geöffnet";
inline constexpr const char* kDeviceGone = "das Gerät wurde entfernt oder antwortet nicht mehr";
inline constexpr const char* kSettingUnsupported =
    "ihr Treiber unterstützt diese Einstellung nicht";
inline constexpr const char* kNoAnswer = "die Schnittstelle antwortet nicht";
inline constexpr const char* kPortClosed = "die Schnittstelle ist nicht geöffnet";
inline constexpr const char* kBadLineSettings = "ungültige Leitungseinstellung";
inline constexpr const char* kBadHandshaking = "ungültige Flusssteuerung";

}  // namespace cv2
