// The settings file: reading and writing keys of an INI text, and the start-up rules of the
// stored settings (defaults written back, folders created, fallback to the default folder).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "profiles/JobListFile.h"
#include "profiles/SettingsFile.h"
#include "profiles/StoredSettings.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

struct IniRow {
    const char* text;
    std::optional<std::string> value;
};

TEST(SettingsFile, ReadsAKeyOfASection) {
    const IniRow rows[] = {
        {"[OutPath]\nOutPath=/data/out\n", "/data/out"},
        {"\xEF\xBB\xBF[outpath]\r\n  outpath = /data/out  \r\n", "/data/out"},
        {"[skin]\nOutPath=/wrong\n[OutPath]\nOutPath=/right\n", "/right"},
        {"[OutPath]\nOutPath=\n", std::nullopt},
        {"[OutPath]\nOutPath=Error\n", std::nullopt},
        {"[OutPath]\n; OutPath=/commented\n", std::nullopt},
        {"OutPath=/no/section\n", std::nullopt},
        {"[OutPath\nOutPath=/broken/section\n", std::nullopt},
        {"", std::nullopt},
        {"[OutPath]\nOutPath=/a=b\n", "/a=b"},
    };
    for (const IniRow& row : rows) {
        EXPECT_EQ(readIniValue(row.text, "OutPath", "OutPath"), row.value) << row.text;
    }
}

struct WriteRow {
    const char* before;
    const char* after;
};

TEST(SettingsFile, WritesOneKeyAndKeepsTheRest) {
    const WriteRow rows[] = {
        {"", "[skin]\nSetSkin=skin3\n"},
        {"[skin]\nSetSkin=skin1\n", "[skin]\nSetSkin=skin3\n"},
        {"[skin]\nsetskin = skin1\nOther=1\n", "[skin]\nSetSkin=skin3\nOther=1\n"},
        {"[skin]\nOther=1\n\n[OutPath]\nOutPath=/x\n",
         "[skin]\nOther=1\nSetSkin=skin3\n\n[OutPath]\nOutPath=/x\n"},
        {"[OutPath]\nOutPath=/x\n", "[OutPath]\nOutPath=/x\n\n[skin]\nSetSkin=skin3\n"},
        {"[OutPath]\r\nSetSkin=keep\r\n",
         "[OutPath]\r\nSetSkin=keep\r\n\r\n[skin]\r\nSetSkin=skin3\r\n"},
        {"\xEF\xBB\xBF[skin]\nSetSkin=Error\n", "\xEF\xBB\xBF[skin]\nSetSkin=skin3\n"},
        {"[skin]\n;SetSkin=skin9\n", "[skin]\n;SetSkin=skin9\nSetSkin=skin3\n"},
    };
    for (const WriteRow& row : rows) {
        EXPECT_EQ(withIniValue(row.before, "skin", "SetSkin", "skin3"), row.after) << row.before;
    }
}

TEST(SettingsFile, WriteCreatesTheFileAndItsFolderAndReadsBack) {
    test::TempDir dir;
    const SettingsFile settings(dir.file("config/velmora/system.ini"));
    EXPECT_FALSE(settings.exists());
    EXPECT_FALSE(settings.read("skin", "SetSkin"));
    ASSERT_TRUE(settings.write("skin", "SetSkin", "skin5"));
    ASSERT_TRUE(settings.write("OutPath", "OutPath", "/srv/视频"));
    EXPECT_TRUE(settings.exists());
    EXPECT_EQ(settings.read("skin", "SetSkin"), "skin5");
    EXPECT_EQ(settings.read("OutPath", "OutPath"), "/srv/视频");
    // No temporary file is left beside it.
    EXPECT_EQ(
        std::distance(fs::directory_iterator(dir.file("config/velmora")), fs::directory_iterator()),
        1);
}

TEST(SettingsFile, WriteIntoAnUnusableFolderFailsWithAReason) {
    test::TempDir dir;
    std::ofstream(dir.file("plain")) << "x";
    const SettingsFile settings(dir.file("plain/system.ini"));
    std::string error;
    EXPECT_FALSE(settings.write("skin", "SetSkin", "skin1", &error));
    EXPECT_FALSE(error.empty());
}

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old) {
            ::setenv(m_name, m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(SettingsFile, TheSavedQueueLivesInTheStateFolder) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv state("XDG_STATE_HOME", "");
        EXPECT_EQ(savedQueuePath(), "/home/someone/.local/state/velmora/queue.json");
    }
    {
        // A relative folder is not a valid state folder.
        ScopedEnv state("XDG_STATE_HOME", "relative/state");
        EXPECT_EQ(savedQueuePath(), "/home/someone/.local/state/velmora/queue.json");
    }
    ScopedEnv state("XDG_STATE_HOME", "/var/state");
    EXPECT_EQ(savedQueuePath(), "/var/state/velmora/queue.json");
    ScopedEnv own("VELMORA_STATE_DIR", "/tmp/own");
    EXPECT_EQ(savedQueuePath(), "/tmp/own/queue.json");
}

TEST(SettingsFile, CommandLineOutputFolderComesFromTheConfiguredFileElseHome) {
    test::TempDir dir;
    ScopedEnv config("VELMORA_CONFIG_DIR", dir.path().string());
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(settingsFilePath(), dir.file("system.ini"));
    EXPECT_EQ(defaultOutputFolder(), "/home/someone/Video_Directory");
    EXPECT_EQ(defaultSnapshotFolderPath(), "/home/someone/Video_Directory/快照");

    std::ofstream(dir.file("system.ini")) << "[OutPath]\nOutPath=Error\n";
    EXPECT_EQ(defaultOutputFolder(), "/home/someone/Video_Directory");
    std::ofstream(dir.file("system.ini")) << "[OutPath]\nOutPath=/srv/videos\n";
    EXPECT_EQ(defaultOutputFolder(), "/srv/videos");
    EXPECT_FALSE(fs::exists("/srv/videos"));  // velmora-cli only reads
}

// The start-up rule for the output folder, one row per state of the file.
struct FolderRow {
    const char* name;
    const char* iniText;      // nullptr: no file
    const char* savedFolder;  // relative to the test folder; "" for none
    bool savedIsPlainFile;
    bool expectSaved;  // else the default
};

TEST(StoredSettings, OutputFolderAtStartUp) {
    const FolderRow rows[] = {
        {"first start", nullptr, "", false, false},
        {"saved and present", "[OutPath]\nOutPath=%s\n", "saved", false, true},
        {"saved but deleted", "[OutPath]\nOutPath=%s\n", "gone/deeper", false, true},
        {"key says Error", "[OutPath]\nOutPath=Error\n", "", false, false},
        {"key empty", "[OutPath]\nOutPath=\n", "", false, false},
        {"other keys only", "[skin]\nSetSkin=skin2\n", "", false, false},
        {"saved folder is a file", "[OutPath]\nOutPath=%s\n", "plain", true, false},
    };
    for (const FolderRow& row : rows) {
        test::TempDir dir;
        const std::string ini = dir.file("system.ini");
        const std::string saved = dir.file(row.savedFolder);
        const std::string defaultFolder = dir.file("home/Video_Directory");
        if (row.savedIsPlainFile) {
            std::ofstream(saved) << "x";
        } else if (row.expectSaved && std::string(row.savedFolder) == "saved") {
            fs::create_directories(saved);
        }
        if (row.iniText) {
            std::string text = row.iniText;
            if (const auto mark = text.find("%s"); mark != std::string::npos) {
                text.replace(mark, 2, saved);
            }
            std::ofstream(ini) << text;
        }
        const SettingsFile settings(ini);
        const std::string folder = readOutputFolder(settings, defaultFolder);
        const std::string expected = row.expectSaved ? saved : defaultFolder;
        EXPECT_EQ(folder, expected) << row.name;
        EXPECT_TRUE(fs::is_directory(expected)) << row.name;
        EXPECT_EQ(settings.read("OutPath", "OutPath"), expected) << row.name;
    }
}

TEST(StoredSettings, OnlyAnExistingFolderIsSaved) {
    test::TempDir dir;
    const SettingsFile settings(dir.file("system.ini"));
    EXPECT_FALSE(writeOutputFolder(settings, dir.file("missing")));
    EXPECT_FALSE(writeOutputFolder(settings, ""));
    EXPECT_FALSE(settings.exists());
    EXPECT_TRUE(writeOutputFolder(settings, dir.path().string()));
    EXPECT_EQ(settings.read("OutPath", "OutPath"), dir.path().string());
}

TEST(StoredSettings, SnapshotFolderAndPictureType) {
    test::TempDir dir;
    const SettingsFile settings(dir.file("system.ini"));
    const std::string defaultFolder = dir.file("Video_Directory/快照");
    EXPECT_EQ(readSnapshotFolder(settings, defaultFolder), defaultFolder);
    EXPECT_TRUE(fs::is_directory(defaultFolder));
    EXPECT_EQ(settings.read("SnapShot", "Dir"), defaultFolder);

    settings.write("SnapShot", "Dir", dir.file("shots/2"));
    EXPECT_EQ(readSnapshotFolder(settings, defaultFolder), dir.file("shots/2"));
    EXPECT_TRUE(fs::is_directory(dir.file("shots/2")));

    const struct {
        const char* saved;  // nullptr: key absent
        const char* type;
    } rows[] = {{nullptr, "BMP"}, {"PNG", "PNG"}, {"JPG", "JPG"},
                {"TIFF", "BMP"},  {"png", "BMP"}, {"Error", "BMP"}};
    for (const auto& row : rows) {
        test::TempDir other;
        const SettingsFile file(other.file("system.ini"));
        if (row.saved) {
            file.write("SnapShot", "Picture", row.saved);
        }
        EXPECT_EQ(readSnapshotPicture(file), row.type) << (row.saved ? row.saved : "absent");
        EXPECT_EQ(file.read("SnapShot", "Picture"), row.type);
    }
}

TEST(StoredSettings, SnapshotChoicesAreSavedOnlyWhenUsable) {
    test::TempDir dir;
    const SettingsFile settings(dir.file("system.ini"));
    EXPECT_FALSE(writeSnapshotFolder(settings, dir.file("missing")));
    EXPECT_FALSE(writeSnapshotPicture(settings, "TIFF"));
    EXPECT_FALSE(writeSnapshotPicture(settings, "gif"));
    EXPECT_FALSE(settings.exists());
    EXPECT_TRUE(writeSnapshotFolder(settings, dir.path().string()));
    EXPECT_EQ(settings.read("SnapShot", "Dir"), dir.path().string());
    for (const std::string_view type : snapshotPictureTypes()) {
        EXPECT_TRUE(writeSnapshotPicture(settings, type));
        EXPECT_EQ(readSnapshotPicture(settings), type);
    }
    EXPECT_EQ(snapshotPictureTypes().size(), 4u);
}

TEST(StoredSettings, SkinIsReadAndWrittenAsItIs) {
    test::TempDir dir;
    const SettingsFile settings(dir.file("system.ini"));
    EXPECT_FALSE(readSkin(settings));
    EXPECT_TRUE(writeSkin(settings, "skin17"));
    EXPECT_EQ(readSkin(settings), "skin17");
    EXPECT_EQ(contentsOf(dir.file("system.ini")), "[skin]\nSetSkin=skin17\n");
}

}  // namespace
}  // namespace velmora
