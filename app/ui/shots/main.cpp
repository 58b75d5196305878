// cv2shots DIR: draws the window program's three windows, a backup half-way,
// the restore's questions and a failure box offscreen into PNG files in DIR,
// for the user guide. The windows start from the default settings, with no
// port and no settings file, and nothing is saved. A build tool: it is neither
// installed nor packaged.
#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ui/frm_hinweis.h"
#include "app/ui/main_win.h"
#include "app/ui/opt_win.h"
#include "app/ui/program_icon.h"
#include "app/ui/shots/screenshots.h"
#include "platform/qt/qt_serial_control.h"
#include "platform/qtwidgets/qt_file_dialog.h"
#include "platform/qtwidgets/qt_message_boxes.h"
#include "settings/settings.h"

namespace {

int RenderScreenshots(const QString& folder, cv2::MainWin& mainWin) {
    QDir().mkpath(folder);
    QDir dir(folder);
    bool ok = true;
    auto save = [&](QWidget& w, const char* name) {
        w.show();
        QApplication::processEvents();
        ok = w.grab().save(dir.filePath(name)) && ok;
    };
    save(mainWin, "MainWin.png");
    cv2::OptWin* options = mainWin.ShowOptions();
    save(*options, "OptWin.png");
    // Enlarged by the user: every option in view.
    options->resize(options->width(), options->height() * 2);
    save(*options, "OptWin-enlarged.png");
    cv2::FrmHinweis notice(&mainWin);
    save(notice, "frmHinweis.png");
    notice.close();
    ok = cv2::RenderProcedureScreenshots(dir, mainWin) && ok;
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: cv2shots ORDNER\n");
        return 2;
    }
    QApplication app(argc, argv);
    // The dialogs' buttons in German, as the window program shows them.
    QTranslator qtGerman;
    if (qtGerman.load("qtbase_de", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtGerman);
    }
    QApplication::setWindowIcon(cv2::ProgramIcon());

    cv2::Settings settings;
    cv2::QtSerialControl unopened;
    cv2::QtMessageBoxes boxes;
    cv2::QtFileDialog fileDialog;
    cv2::MainWin mainWin(settings, unopened, boxes, fileDialog, std::string(), nullptr);
    return RenderScreenshots(QString::fromLocal8Bit(argv[1]), mainWin);
}
