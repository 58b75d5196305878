// Why the real serial port refuses to open, in the German words the failure
// box shows: a device that does not exist, and one another program holds,
// also when it is named through a link.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <string>

#include "platform/qt/qt_serial_control.h"
#include "tests/platform/qt/pty_pair.h"

namespace cv2::test {
namespace {

TEST(PortReasons, AMissingAndABusyDeviceAreToldApart) {
    int argc = 1;
    char name[] = "test_qt";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    QtSerialControl missing;
    missing.SetCommPort("/dev/ttyCV2-gibt-es-nicht");
    EXPECT_FALSE(missing.SetPortOpen(true));
    EXPECT_EQ(missing.ErrorText(),
              "das Gerät gibt es nicht (nicht angeschlossen oder falscher Name)");

    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QtSerialControl first, second;
    first.SetCommPort(pty.slaveName());
    second.SetCommPort(pty.slaveName());
    ASSERT_TRUE(first.SetPortOpen(true));
    EXPECT_FALSE(second.SetPortOpen(true));
    // Root may open any device, so only the lock can refuse here.
    EXPECT_EQ(second.ErrorText(),
              "das Gerät ist belegt: ein anderes Programm benutzt die Schnittstelle");
    // Named through a link, such as the simulator's, it is the same device.
    const auto link =
        std::filesystem::temp_directory_path() / ("cv2-link-" + std::to_string(getpid()));
    std::filesystem::create_symlink(pty.slaveName(), link);
    QtSerialControl viaLink;
    viaLink.SetCommPort(link.string());
    EXPECT_FALSE(viaLink.SetPortOpen(true));
    std::filesystem::remove(link);
}

}  // namespace
}  // namespace cv2::test
