// The windows as designed, whatever toolkit draws them: client areas, the
// controls' captions and places in twips (left, top, width, height; inside a
// frame relative to the frame), and the fixed pieces of the progress display.
#pragma once

#include <array>

#include "settings/options_logic.h"

namespace cv2::design {

struct Place {
    const char* caption;
    int left, top, width, height;
};

// MainWin
constexpr int kMainWidth = 3450;
constexpr int kMainHeight = 4095;
constexpr int kLineLength = 3600;  // Line1, from the top-left corner, longer than the window
constexpr Place kLabel4 = {"ComPort Nr.:", 120, 360, 1035, 195};
constexpr Place kComPortNrTxt = {"ComPortNr", 1380, 360, 1275, 195};
constexpr Place kLabel5 = {"Baudrate:", 120, 660, 1035, 195};
constexpr Place kBdRtTxt = {"Baudrate", 1380, 660, 1275, 195};
constexpr Place kLabel3 = {"Filename:", 120, 1020, 1035, 195};
constexpr Place kDF_FileTxt = {"", 1380, 1020, 1635, 195};
constexpr Place kComTxt = {"- ", 0, 1680, 3435, 315};
constexpr Place kLabel1 = {"Eine Datensicherung kann bis zu 40 Minuten dauern.", 600, 2160, 2295,
                           375};
constexpr Place kReadDF_But = {"Datenbank auf dem PC sichern", 120, 2700, 3195, 375};
constexpr Place kWriteDF_But = {"Datenbank in die CV2 übertragen", 120, 3180, 3195, 375};
// ProzBalkenWeiss; ProzBalken lies on it with the width of the progress.
constexpr Place kProzBalkenWeiss = {"", 120, 3660, 3195, 315};
constexpr Place kProzTxt = {"100%", 1560, 3720, 435, 195};
// The labels at the left edge: captions whose whole text must show.
constexpr int kLeftMargin = 120;

// OptWin: its caption, also the title of its boxes; it opens at this size,
// lower than its frames reach.
constexpr const char* kOptionsTitle = "Optionen";
constexpr int kOptWidth = 3825;
constexpr int kOptHeight = 1455;
constexpr Place kFrame3 = {"ComPort:", 120, 240, 3615, 555};
// Up to the COM port box rather than the designed 675 twips: in the fonts at
// hand the caption is wider than that.
constexpr Place kNummerLabel = {"Nummer:", 480, 240, 780, 195};
constexpr Place kComPortTxT = {"1", 1260, 180, 435, 285};
constexpr Place kFrame2 = {"Update über ", 120, 840, 3615, 1275};
constexpr Place kFrame1 = {"Baurate:", 120, 2160, 3615, 675};
constexpr Place kOK_But = {"O.K.", 2760, 960, 855, 315};
constexpr std::array<Place, kInterfaceCount> kUpDevOpt = {{
    {"Tandemo/Centrova", 120, 300, 2175, 195},
    {"Orvendal 48240 - LocoNet Interface", 120, 600, 3375, 195},
    {"Orvendal 48250 - LocoNet USB Interface", 120, 900, 3435, 195},
}};
constexpr std::array<Place, kBaudRates.size()> kBdrtOpt = {{
    // 780 twips wide rather than 795, which reached into the box of 16666.
    {"9600", 120, 300, 780, 195},
    {"16666", 900, 300, 795, 195},
    {"19200", 1740, 300, 795, 195},
    {"115200", 2640, 300, 855, 195},
}};

// frmHinweis: a text box filling the window, written for a 9.75-point font.
constexpr int kHinweisWidth = 6645;
constexpr int kHinweisHeight = 4485;
constexpr int kText1Width = 6615;
constexpr int kText1Height = 4455;
constexpr double kText1Points = 9.75;

}  // namespace cv2::design
