#include "app/program_state.h"
#include "heap_meter.h"
#include "scenario.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace keyweave::scenario {
namespace {

namespace fs = std::filesystem;
using Kind = sim::InjectedAction::Kind;

// Huge files are 50 MB. Unoptimised builds, the sanitizers' among them, take ten to thirty
// times longer over every byte, and read 5 MB.
#ifdef NDEBUG
constexpr std::size_t kHugeFileBytes = 50u * 1024u * 1024u;
#else
constexpr std::size_t kHugeFileBytes = 5u * 1024u * 1024u;
#endif
// Reading a script holds at most one line of a MiB at a time, as UTF-16 text, with its trimmed
// copy and the copies made for its argument pieces.
constexpr std::size_t kMostLineHeap = 16u << 20;

// The script that every journey here keeps beside the hostile files: one stroke of B.
void AddGoodScript(Scenario& s) {
    s.AddScript("good.ini", "Good", {"keystroke(KEY_B, 10)"});
}

// F1 still starts and stops the good script, and stopping leaves nothing held.
void ExpectF1PlaysGood(Scenario& s) {
    EXPECT_TRUE(s.sim.MessageBoxes().empty());
    EXPECT_EQ(s.BindLabel(), u"<F1> ");
    s.PickScript(u"Good");
    const std::int64_t start = s.Now();
    s.Tap({kF1});
    s.RunUntil(start + 300);
    EXPECT_EQ(Program().Running, 1);
    EXPECT_FALSE(s.Times(Kind::KeyDown, kB).empty());
    s.Tap({kF1});
    s.RunUntil(s.Now() + 10);
    EXPECT_EQ(Program().Running, 0);
    EXPECT_FALSE(s.sim.IsKeyDown(kB));
}

// Writes `size` bytes by repeating `pattern`, after `head`, without keeping them in memory.
void WriteRepeated(const fs::path& path, const std::string& head, const std::string& pattern,
                   std::size_t size, const std::string& tail) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << head;
    std::string block;
    while (block.size() < (1u << 16)) {
        block += pattern;
    }
    std::size_t left = size - head.size() - tail.size();
    while (left > 0) {
        const std::size_t chunk = std::min(left, block.size());
        out.write(block.data(), static_cast<std::streamsize>(chunk));
        left -= chunk;
    }
    out << tail;
}

// Deterministic bytes of every value, zero bytes, line ends and parentheses included.
std::string Garbage(std::size_t size, std::uint32_t seed) {
    std::mt19937 bits(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(bits() & 0xFF);
    }
    return bytes;
}

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return bytes;
}

// Whether this process can open the file for reading: root can open files that have no
// permissions, and Windows has no such permissions at all.
bool CanRead(const fs::path& path) {
    return std::ifstream(path, std::ios::binary).is_open();
}

bool MakeSymlink(const fs::path& target, const fs::path& link) {
    std::error_code error;
    fs::create_symlink(target, link, error);
    return !error;
}

// Root writes into folders and files that forbid it. Where the system lets it, this process
// acts as an ordinary user (nobody) while an object of this class lives.
class AsAnOrdinaryUser {
public:
    AsAnOrdinaryUser() {
#ifndef _WIN32
        constexpr int kNobody = 65534;
        dropped_ = geteuid() == 0 && setegid(kNobody) == 0 && seteuid(kNobody) == 0;
#endif
    }
    ~AsAnOrdinaryUser() {
#ifndef _WIN32
        if (dropped_ && (seteuid(0) != 0 || setegid(0) != 0)) {
            ADD_FAILURE() << "cannot act as root again";
        }
#endif
    }
    AsAnOrdinaryUser(const AsAnOrdinaryUser&) = delete;
    AsAnOrdinaryUser& operator=(const AsAnOrdinaryUser&) = delete;

private:
    bool dropped_ = false;
};

std::vector<std::string> EntriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The heap that start-up used at its peak, and what it kept.
struct HeapUse {
    std::size_t peak;
    std::size_t kept;
};

HeapUse StartAndMeasure(Scenario& s) {
    const std::size_t before = LiveHeapBytes();
    ResetHeapPeak();
    s.Start();
    const std::size_t peak = PeakHeapBytes() - before;
    const std::size_t after = LiveHeapBytes();
    ::testing::Test::RecordProperty("PeakHeapBytes", std::to_string(peak));
    return {peak, after > before ? after - before : 0};
}

// Holds F2 until the capture has happened, then lets go; with no script chosen, letting go
// starts nothing.
void BindF2(Scenario& s) {
    s.Click(Program().BindButton);
    s.RunUntil(s.Now() + 10);
    s.Hold(kF2);
    s.RunUntil(s.Now() + 3100);
    s.Release(kF2);
    s.RunUntil(s.Now() + 100);
    EXPECT_EQ(Program().Running, 0);
}

const std::u16string kNotSaved = u"The Start/Stop key could not be saved in settings.ini.";

// The new binding lives in memory when it cannot be saved: F2 starts and stops.
void ExpectF2Bound(Scenario& s) {
    EXPECT_EQ(s.BindLabel(), u"<F2> ");
    s.PickScript(u"Good");
    s.Tap({kF2});
    s.RunUntil(s.Now() + 100);
    EXPECT_EQ(Program().Running, 1);
    s.Tap({kF2});
    s.RunUntil(s.Now() + 10);
    EXPECT_EQ(Program().Running, 0);
}

TEST(HostileFiles, AHugeSingleLineFileIsNoScriptAndIsNotKept) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    AddGoodScript(s);
    WriteRepeated(s.folder.Path() / "Scripts" / "huge.ini", "", "keystring(ABC, 1) ",
                  kHugeFileBytes, "");
    const HeapUse use = StartAndMeasure(s);
    EXPECT_LT(use.peak, kMostLineHeap);
    EXPECT_LT(use.kept, 1u << 20);
    EXPECT_EQ(s.ComboItems(), std::vector<std::u16string>{u"Good"});
    ExpectF1PlaysGood(s);
}

// A line longer than a script may hold leaves its file out at once, however long the line:
// only the first MiB of it is read. A long line within the bound loads: of its characters only
// the last has a key, the rest are skipped one by one.
TEST(HostileFiles, AScriptWithALineTooLongIsLeftOutAndALongLineWithinTheBoundPlays) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    AddGoodScript(s);
    const fs::path scripts = s.folder.Path() / "Scripts";
    WriteRepeated(scripts / "huge.ini", "?kweaver\r\n{Huge\r\nkeystring(", "ABCDEFGHIJ",
                  kHugeFileBytes, "Z, 1)\r\n");
    WriteRepeated(scripts / "text.ini", "?kweaver\r\n{Long text\r\nkeystring(", "bcdefghijklmno",
                  1000000, "Z, 1)\r\n");
    const HeapUse use = StartAndMeasure(s);
    EXPECT_LT(use.peak, kMostLineHeap);
    EXPECT_LT(use.kept, 1u << 20);
    auto items = s.ComboItems();
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::u16string>{u"Good", u"Long text"}));

    s.PickScript(u"Long text");
    s.RunUntil(200);
    EXPECT_EQ(s.ViewText(), u"KeyDown( KEY_Z )\n\tSleep( 1 )\nKeyUp( KEY_Z )\n");
    s.Tap({kF1});
    s.RunUntil(300);
    EXPECT_FALSE(s.Times(Kind::KeyDown, 'Z').empty());
    EXPECT_FALSE(s.Times(Kind::KeyUp, 'Z').empty());
}

// Millions of commands: each keeps a few machine words, and the view lists the first of them.
TEST(HostileFiles, AHugeScriptOfShortStatementsLoadsInLittleMemory) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    AddGoodScript(s);
    const std::size_t size = std::min<std::size_t>(kHugeFileBytes, 20u << 20);
    WriteRepeated(s.folder.Path() / "Scripts" / "many.ini", "?kweaver\r\n{Many\r\n",
                  "keystroke(KEY_A,9)\r\n", size, "\r\nstop()\r\n");
    const HeapUse use = StartAndMeasure(s);
    const std::size_t commands = 3 * (size / 20);
    EXPECT_LE(use.kept / commands, 32u);
    EXPECT_LE(use.peak / commands, 48u);
    s.PickScript(u"Many");
    s.RunUntil(100);
    EXPECT_NE(s.ViewText().find(u" more commands, not shown here.\n"), std::u16string::npos);
    ExpectF1PlaysGood(s);
}

// Only the line's first 64 KiB are read, and of them only whole names count.
TEST(HostileFiles, AHugeSettingsLineCostsNothingBeyondItsStart) {
    Scenario s;
    AddGoodScript(s);
    WriteRepeated(s.folder.Path() / "settings.ini", "KEY_F1 ", "Left Ctrl ", kHugeFileBytes,
                  " KEY_F2");
    const HeapUse use = StartAndMeasure(s);
    EXPECT_LT(use.peak, 1u << 20);
    EXPECT_LT(use.kept, 1u << 20);
    ExpectF1PlaysGood(s);
}

// Garbage behind a header compiles to whatever its lines happen to say; a stop still releases
// every key and button that it pressed.
TEST(HostileFiles, BinaryGarbageLoadsOnlyBehindAHeaderAndStopsClean) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    AddGoodScript(s);
    s.folder.Write("Scripts/garbage.ini", Garbage(1u << 16, 1));
    std::string noise = "?kweaver\r\n{Noise\r\n" + Garbage(1u << 16, 2);
    for (int i = 0; i < 200; ++i) {
        noise += "\nkeydown(KEY_" + std::string(1, static_cast<char>('A' + i % 26)) + ")\n" +
                 Garbage(64, static_cast<std::uint32_t>(i + 3));
    }
    noise += "\nmousedown(MOUSE_RIGHT)\nsleep(50000)\n";
    s.folder.Write("Scripts/noise.ini", noise);
    s.Start();
    auto items = s.ComboItems();
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::u16string>{u"Good", u"Noise"}));

    s.PickScript(u"Noise");
    s.Tap({kF1});
    s.RunUntil(5000);
    s.Tap({kF1});
    s.RunUntil(s.Now() + 10);
    EXPECT_EQ(Program().Running, 0);
    EXPECT_TRUE(Program().KeyboardInjectedList.empty());
    EXPECT_TRUE(Program().MouseInjectedList.empty());
    for (int code = 0; code < 256; ++code) {
        EXPECT_FALSE(s.sim.IsKeyDown(code)) << code;
    }
    EXPECT_FALSE(s.sim.IsButtonDown(1));
    EXPECT_FALSE(s.sim.IsButtonDown(2));
    ExpectF1PlaysGood(s);
}

// Bytes are characters: the zero bytes of UTF-16 end lines, and a UTF-8 byte-order mark stands
// in front of the header, so none of these is a script.
TEST(HostileFiles, Utf16AndByteOrderMarkedScriptsAreNoScripts) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    AddGoodScript(s);
    const std::string text = "?kweaver\r\n{Wide\r\nkeydown(KEY_A)\r\n";
    s.folder.Write("Scripts/little.ini", Utf16(text, false));
    s.folder.Write("Scripts/big.ini", Utf16(text, true));
    s.folder.Write("Scripts/marked.ini", "\xEF\xBB\xBF" + text);
    s.Start();
    EXPECT_EQ(s.ComboItems(), std::vector<std::u16string>{u"Good"});
    ExpectF1PlaysGood(s);
}

TEST(HostileFiles, Utf16SettingsCountAsMissingAndAMarkCostsOnlyTheFirstName) {
    {
        Scenario s;
        s.WriteSettings(Utf16("KEY_F1\r\n", false));
        s.Start();
        EXPECT_EQ(s.sim.MessageBoxes().size(), 1u);
        EXPECT_TRUE(Program().BindList.empty());
    }
    Scenario s;
    s.WriteSettings("\xEF\xBB\xBFKEY_F2 KEY_F1\r\n");
    AddGoodScript(s);
    s.Start();
    ExpectF1PlaysGood(s);
}

// Entries that look like scripts but are not readable files are left out: a file without
// permissions (when they hold for this process) and a folder.
TEST(HostileFiles, UnreadableEntriesInTheScriptsFolderAreLeftOut) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    AddGoodScript(s);
    s.AddScript("locked.ini", "Locked", {"keydown(KEY_A)"});
    const fs::path locked = s.folder.Path() / "Scripts" / "locked.ini";
    fs::permissions(locked, fs::perms::none);
    const bool lockedReadable = CanRead(locked);
    s.AddScript("folder.ini/inner.ini", "Inner", {"keydown(KEY_A)"});
    s.Start();
    fs::permissions(locked, fs::perms::owner_all);

    std::vector<std::u16string> expected{u"Good"};
    if (lockedReadable) {
        expected.push_back(u"Locked");
    }
    auto items = s.ComboItems();
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, expected);
    ExpectF1PlaysGood(s);
}

TEST(HostileFiles, DanglingAndLoopingLinksInTheScriptsFolderAreLeftOut) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    AddGoodScript(s);
    const fs::path scripts = s.folder.Path() / "Scripts";
    if (!MakeSymlink("missing.ini", scripts / "dangling.ini") ||
        !MakeSymlink("loop.ini", scripts / "loop.ini")) {
        GTEST_SKIP() << "this file system makes no symbolic links";
    }
    s.Start();
    EXPECT_EQ(s.ComboItems(), std::vector<std::u16string>{u"Good"});
    ExpectF1PlaysGood(s);
}

TEST(HostileFiles, UnreadableSettingsCountAsMissing) {
    Scenario s;
    AddGoodScript(s);
    s.WriteSettings("KEY_F1\r\n");
    const fs::path settings = s.folder.Path() / "settings.ini";
    fs::permissions(settings, fs::perms::none);
    const bool readable = CanRead(settings);
    s.Start();
    fs::permissions(settings, fs::perms::owner_all);
    if (readable) {
        ExpectF1PlaysGood(s);
    } else {
        EXPECT_EQ(s.sim.MessageBoxes().size(), 1u);
        EXPECT_TRUE(Program().BindList.empty());
    }
}

// Saving writes through the link to the file it points to, and the link stays.
TEST(HostileFiles, ADanglingSettingsLinkCountsAsMissingAndSavingWritesItsTarget) {
    Scenario s;
    AddGoodScript(s);
    if (!MakeSymlink("nowhere.ini", s.folder.Path() / "settings.ini")) {
        GTEST_SKIP() << "this file system makes no symbolic links";
    }
    s.Start();
    EXPECT_EQ(s.sim.MessageBoxes().size(), 1u);
    s.RunUntil(100);
    BindF2(s);
    EXPECT_EQ(s.Settings(), "KEY_F2\r\n");
    EXPECT_TRUE(fs::is_symlink(s.folder.Path() / "settings.ini"));
    EXPECT_EQ(s.folder.Read("nowhere.ini"), "KEY_F2\r\n");
    EXPECT_EQ(EntriesOf(s.folder.Path()),
              (std::vector<std::string>{"Scripts", "nowhere.ini", "settings.ini"}));
    ExpectF2Bound(s);
}

TEST(HostileFiles, AScriptsFileInsteadOfAFolderGivesNoScriptsAndKeepsTheBinding) {
    Scenario s;
    fs::remove(s.folder.Path() / "Scripts");
    s.folder.Write("Scripts", "?kweaver\r\n{Flat\r\nkeydown(KEY_A)\r\n");
    s.WriteSettings("KEY_F1\r\n");
    s.Start();
    EXPECT_TRUE(s.ComboItems().empty());
    EXPECT_EQ(s.BindLabel(), u"<F1> ");
    s.Tap({kF1});
    s.RunUntil(200);
    EXPECT_EQ(Program().Running, 0);
    s.Click(Program().ReloadButton);
    s.RunUntil(300);
    EXPECT_TRUE(s.ComboItems().empty());
    EXPECT_EQ(Program().Running, 0);
    EXPECT_TRUE(s.Injected().empty());
}

TEST(HostileFiles, ASettingsFolderLoadsNothingAndANewBindingWorksUnsaved) {
    Scenario s;
    AddGoodScript(s);
    fs::create_directories(s.folder.Path() / "settings.ini" / "inner");
    s.Start();
    EXPECT_EQ(s.sim.MessageBoxes().size(), 1u);
    s.RunUntil(100);
    BindF2(s);
    EXPECT_EQ(s.Status(), kNotSaved);
    EXPECT_TRUE(fs::is_directory(s.folder.Path() / "settings.ini"));
    EXPECT_EQ(EntriesOf(s.folder.Path()), (std::vector<std::string>{"Scripts", "settings.ini"}));
    ExpectF2Bound(s);
}

// Binds F2 while no file can be made in the program's folder, whose settings file can or cannot
// be written. False when this process makes files there all the same: Windows folders have no
// such permission, and root can unless it may act as an ordinary user.
bool BindF2InALockedFolder(Scenario& s, bool settingsWritable) {
    using fs::perms;
    const fs::path folder = s.folder.Path();
    fs::permissions(folder / "settings.ini", settingsWritable
                                                 ? perms::owner_read | perms::owner_write |
                                                       perms::others_read | perms::others_write
                                                 : perms::owner_read | perms::others_read);
    fs::permissions(folder, perms::owner_read | perms::owner_exec | perms::others_read |
                                perms::others_exec);
    bool locked = false;
    {
        AsAnOrdinaryUser user;
        locked = !std::ofstream(folder / "probe").is_open();
        if (locked) {
            BindF2(s);
        }
    }
    fs::permissions(folder, perms::owner_all);
    fs::permissions(folder / "settings.ini", perms::owner_read | perms::owner_write);
    std::error_code ignored;
    fs::remove(folder / "probe", ignored);
    return locked;
}

// Where no new file can be made beside it, the settings file is written in place.
TEST(HostileFiles, AReadOnlyFolderGetsTheNewBindingWrittenIntoTheSettingsFile) {
    Scenario s;
    AddGoodScript(s);
    s.WriteSettings("KEY_F1 KEY_LCTRL KEY_LSHIFT\r\n");
    s.Start();
    if (!BindF2InALockedFolder(s, true)) {
        GTEST_SKIP() << "this process makes files in read-only folders";
    }
    EXPECT_EQ(s.Settings(), "KEY_F2\r\n");
    EXPECT_EQ(EntriesOf(s.folder.Path()), (std::vector<std::string>{"Scripts", "settings.ini"}));
    ExpectF2Bound(s);
}

TEST(HostileFiles, AFailedSaveKeepsTheOldFileAndTheNewBindingInMemory) {
    Scenario s;
    AddGoodScript(s);
    s.WriteSettings("KEY_F1\r\n");
    s.Start();
    ExpectF1PlaysGood(s);
    if (!BindF2InALockedFolder(s, false)) {
        GTEST_SKIP() << "this process makes files in read-only folders";
    }
    EXPECT_EQ(s.Status(), kNotSaved);
    EXPECT_EQ(s.Settings(), "KEY_F1\r\n");
    ExpectF2Bound(s);
}

} // namespace
} // namespace keyweave::scenario
