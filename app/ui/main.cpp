// The window program: Qt's German dialog texts, the real clock and event
// processing, the main window over the settings file and the station's keys.
// --version names the version and the keys in use.
#include <QApplication>
#include <QLibraryInfo>
#include <QSessionManager>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/ui/main_win.h"
#include "app/ui/program.h"
#include "app/ui/program_icon.h"
#include "device/key_file.h"
#include "platform/end_requests.h"
#include "platform/staged_file.h"
#include "platform/qtwidgets/qt_file_dialog.h"
#include "platform/qtwidgets/qt_message_boxes.h"
#include "settings/settings_location.h"

namespace {

// Ends the program at once, also from inside a procedure's wait loop: nothing
// after the settings file runs, no window event, no destructor. A backup in
// progress leaves its old file as it was and no work copy beside it.
[[noreturn]] void EndNow() {
    cv2::StagedFile::DiscardAllNow();
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

}  // namespace

int main(int argc, char** argv) {
    const cv2::KeySource keys = cv2::LoadKeys("");
    // Before any window, so that it also answers without a display.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        if (!keys.ok()) {
            std::fprintf(stderr, "%s\n", keys.error.c_str());
            return EXIT_FAILURE;
        }
        std::printf("cv2sicherung %d.%d.%d\n%s\n", CV2_VERSION_MAJOR, CV2_VERSION_MINOR,
                    CV2_VERSION_PATCH, cv2::KeysInUse(keys).c_str());
        return EXIT_SUCCESS;
    }

    QApplication app(argc, argv);
    QApplication::setWindowIcon(cv2::ProgramIcon());

    // Qt's own dialogs (buttons, file dialog) in German like the rest of the program.
    QTranslator qtGerman;
    if (qtGerman.load("qtbase_de", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtGerman);
    }

    cv2::QtMessageBoxes boxes;
    cv2::QtFileDialog fileDialog;

    // A key file that is there but wrong is never replaced by the built-in keys.
    if (!keys.ok()) {
        std::fprintf(stderr, "%s\n", keys.error.c_str());
        boxes.Show(
            keys.error + "\r\rDas Programm startet, sobald die Datei stimmt oder entfernt ist.",
            "CV2 Sicherung", cv2::BoxButtons::Ok, cv2::BoxIcon::Critical);
        return EXIT_FAILURE;
    }
    cv2::Program program(
        boxes, fileDialog,
        cv2::SettingsFilePath(QCoreApplication::applicationDirPath().toStdString()), keys.keys,
        EndNow);
    cv2::WatchEndRequests("cv2sicherung", program.link().cancellation(),
                          [&program] { program.EndRequested(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest,
                     [&program](QSessionManager&) { program.EndRequested(); });
    program.mainWin().show();
    return QApplication::exec();
}
