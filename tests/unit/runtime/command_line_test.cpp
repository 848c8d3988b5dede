#include "runtime/system/command_line.h"

#include <gtest/gtest.h>

namespace keyweave {
namespace {

using Kind = CommandLine::Kind;

TEST(ReadCommandLine, ReadsTheRequestsWithTheArgumentAfterThemAsTheName) {
    EXPECT_EQ(ReadCommandLine({}).kind, Kind::Run);
    const CommandLine toggle = ReadCommandLine({"--toggle", "Farm ünd Feld"});
    EXPECT_EQ(toggle.kind, Kind::Request);
    EXPECT_EQ(toggle.request, RequestKind::Toggle);
    EXPECT_EQ(toggle.scriptName, "Farm ünd Feld");
    EXPECT_EQ(ReadCommandLine({"--toggle"}).scriptName, "");
    const CommandLine start = ReadCommandLine({"--start", "--stop"});
    EXPECT_EQ(start.request, RequestKind::Start);
    EXPECT_EQ(start.scriptName, "--stop");
    EXPECT_EQ(ReadCommandLine({"--stop"}).request, RequestKind::Stop);
    EXPECT_EQ(ReadCommandLine({"--help"}).kind, Kind::Help);
    EXPECT_EQ(ReadCommandLine({"--version"}).kind, Kind::Version);
}

TEST(ReadCommandLine, AnUnknownOptionOrOneArgumentTooManyIsWrong) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{"--tog"}, "unknown option \"--tog\""},
        {{"Farm"}, "unknown option \"Farm\""},
        {{"--togle", "Farm"}, "unknown option \"--togle\""},
        {{"--stop", "Farm"}, "unexpected argument \"Farm\""},
        {{"--toggle", "Farm", "Feld"}, "unexpected argument \"Feld\""},
        {{"--version", "--help"}, "unexpected argument \"--help\""},
    };
    for (const auto& [arguments, problem] : wrong) {
        const CommandLine line = ReadCommandLine(arguments);
        EXPECT_EQ(line.kind, Kind::Wrong) << arguments[0];
        EXPECT_EQ(line.problem, problem);
    }
}

} // namespace
} // namespace keyweave
