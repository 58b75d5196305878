// The key file as a user writes it: which file a program finds, what it
// accepts, and what it refuses with the file, the line and the problem named.
#include "device/key_file.h"

#include <gtest/gtest.h>

#include "tests/transfer/station_rig.h"

namespace cv2 {
namespace {

namespace fs = std::filesystem;

const std::string kPayloadLine = "PayloadKey = 5A 13 6C 29 71 04 3E 48 0F 66 21 7D 35 52 0B 44\n";

TEST(KeyFile, TheUsersFileComesBeforeTheSystemsAndWithoutEitherTheTestValuesServe) {
    testing::TempDir dir;
    const std::string system = dir.File("etc/keys"), user = dir.File("user/keys");
    testing::WriteText(system, "ServiceKey = 7F 7F 7F 7F 7F 7F 7F 7F\n" + kPayloadLine);
    const auto candidates = KeyFileCandidates("/home/u/.config/cv2sicherung");
    EXPECT_EQ(candidates.front(), (fs::path("/home/u/.config/cv2sicherung") / "keys").string());
#ifndef _WIN32
    EXPECT_EQ(candidates.back(), "/etc/cv2sicherung/keys");
#endif
    EXPECT_EQ(LoadKeys("", {user, system}).keys.ServiceKey[0], 0x7F);

    testing::WriteText(user,
                       "# Schlüssel meiner Zentrale\r\n"
                       "  servicekey=0x01,0x02,0x03,0x04, 05 06 07 0X7F  # vom Hersteller\r\n"
                       "\r\n"
                       "PAYLOADKEY = 10 11 12 13 14 15 16 17 18 19 1a 1B 1c 1d 1e 1F");
    const KeySource source = LoadKeys("", {user, system});
    ASSERT_TRUE(source.ok()) << source.error;
    EXPECT_EQ(source.keys.ServiceKey, (ServiceKeyBytes{1, 2, 3, 4, 5, 6, 7, 0x7F}));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(source.keys.PayloadKey[i], 0x10 + i) << i;
    EXPECT_EQ(KeysInUse(source), "Schlüssel: aus " + user);
    // A file named on the command line wins over both.
    EXPECT_EQ(LoadKeys(system, {user, system}).path, system);

    const KeySource none = LoadKeys("", {dir.File("none")});
    EXPECT_TRUE(none.ok() && none.builtIn() && none.keys == kBuiltInKeys);
    EXPECT_EQ(KeysInUse(none), "Schlüssel: eingebaute Testwerte");
}

TEST(KeyFile, AWrongFileIsRefusedWithItsLineAndNeverReplacedByTheBuiltInKeys) {
    testing::TempDir dir;
    const struct {
        std::string text;
        const char* error;  // after "Schlüsseldatei PATH"
    } rows[] = {
        {"ServiceKey = 4E 17 63 2A 08 75 39\n" + kPayloadLine,
         ", Zeile 1: ServiceKey hat 7 Bytes, es müssen 8 sein."},
        {"# eigene Werte\nServiceKey = 4E 17 63 2A 08 75 39 80\n" + kPayloadLine,
         ", Zeile 2: das Byte „80“ ist zu groß: jedes Schlüsselbyte liegt unter 80 (hex)."},
        {"ServiceKey = 4E 17 63 2A 08 75 39 5G\n",
         ", Zeile 1: „5G“ ist kein Hex-Byte (00 bis 7F)."},
        {"ServiceKey = 4E 17 63 2A 08 75 39 5F\n",
         ": die Zeile „PayloadKey = …“ mit 16 Bytes fehlt."},
        {kPayloadLine + "\n" + kPayloadLine, ", Zeile 3: PayloadKey steht schon in Zeile 1."},
        {"Service Key = 4E\n",
         ", Zeile 1: „Service Key“ ist kein Schlüssel (ServiceKey oder PayloadKey)."},
        {"\n\x01\x02 binary junk of a filü that is no key file at all\n",
         ", Zeile 2: „?? binary junk of a filü…“ ist keine Zeile der Form „ServiceKey = …“ oder "
         "„PayloadKey = …“."},
    };
    for (const auto& row : rows) {
        const std::string path = dir.File("keys");
        testing::WriteText(path, row.text);
        const KeySource source = LoadKeys(path, {});
        EXPECT_EQ(source.error, "Schlüsseldatei " + path + row.error) << row.text;
        EXPECT_EQ(source.keys, kBuiltInKeys);  // and not to be used: the program stops
    }

    const std::string missing = dir.File("fehlt");
    EXPECT_EQ(LoadKeys(missing, {}).error,
              "Die Schlüsseldatei " + missing +
                  " kann nicht gelesen werden: Datei oder Ordner gibt es nicht.");
    EXPECT_EQ(LoadKeys(dir.path.string(), {}).error,
              "Die Schlüsseldatei " + dir.path.string() +
                  " kann nicht gelesen werden: das ist ein Ordner.");
    const std::string big = dir.File("backup.CDF");
    testing::WriteText(big, std::string(kKeyFileReadCap + 1, '#'));
    EXPECT_EQ(LoadKeys(big, {}).error,
              "Die Datei " + big + " ist keine Schlüsseldatei: sie ist größer als 4096 Bytes.");
}

}  // namespace
}  // namespace cv2
