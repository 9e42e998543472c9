#include <gtest/gtest.h>

#include "macros/cro_codes.h"
#include "macros/group_file.h"
#include "macros/group_recorder.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "samples.h"

namespace zul::macros {
namespace {

using test::readFile;
using test::ScriptedDialogs;
using test::TempDir;
using test::writeFile;
using Kind = ScriptedDialogs::Kind;
using namespace samples;

TEST(GroupFile, TheWorkedExampleWritesAndReadsAndLfOrMissingQuotesReadTheSame) {
    const std::string bytes = groupFileBytes(2, "Hall", {kA1On, kC12On});
    EXPECT_EQ(bytes.size(), 57u);
    EXPECT_EQ(bytes, kHallGroup);
    const auto group = parseGroupText(kHallGroup);
    EXPECT_EQ(group.label, "Hall");
    EXPECT_EQ(groupItemsText(group.items), "A1, C12");

    const auto bare = parseGroupText("Group 3, Den\n0110000000000000\n\n0100010000011000");
    EXPECT_EQ(bare.label, "Den");
    EXPECT_EQ(bare.items, group.items);
    EXPECT_EQ(parseGroupText("\"Group\"\r\n").label, "");
    EXPECT_FALSE(parseGroupText("\"0110000000000000\"\r\n").hasLabelLine);
}

TEST(GroupFile, LabelsAreKeptWithinWhatTheFileCanHold) {
    EXPECT_EQ(cleanGroupLabel("Front \"porch\"\r\nlights"), "Front porchlights");
    EXPECT_EQ(cleanGroupLabel(std::string(40, 'x')), std::string(30, 'x'));
    // 30 characters of two bytes each are kept whole; no character is cut in half.
    std::string umlauts;
    for (int i = 0; i < 31; ++i) umlauts += "\xC3\xA4";
    EXPECT_EQ(cleanGroupLabel(umlauts), umlauts.substr(0, 60));
}

TEST(GoGrLabel, GetAndPutAndTheLabelsOfAFolder) {
    TempDir dir;
    const auto file = dir / "file4.grp";
    EXPECT_EQ(goGrLabel("g", file, ""), "");
    EXPECT_EQ(goGrLabel("p", file, "Kitchen"), "") << "a missing file is not created";
    EXPECT_FALSE(std::filesystem::exists(file));

    writeFile(file, kHallGroup);
    EXPECT_EQ(goGrLabel("g", file, ""), "Hall");
    EXPECT_EQ(goGrLabel("p", file, "Kitchen"), "Kitchen");
    EXPECT_EQ(readFile(file), "\"Group 5, Kitchen\"\r\n\"0110000000000000\"\r\n\"0100010000011000\"\r\n");

    // No label line yet, LF line ends, last line without a break: nothing is lost.
    writeFile(file, "0110000000000000\n0100010000011000");
    EXPECT_EQ(goGrLabel("p", file, "Den"), "Den");
    EXPECT_EQ(readFile(file), "\"Group 5, Den\"\r\n\"0110000000000000\"\r\n\"0100010000011000\"\r\n");

    writeFile(dir / "file1.grp", kHallGroup);
    GroupLabels labels;
    labels.load(dir.path());
    EXPECT_EQ(labels.get(1) + labels.get(4) + labels.get(0), "HallDen");
}

TEST(GoGrLabel, OtherModesAreLoggedWithTwoBeeps) {
    std::vector<std::string> events;
    GroupFileServices services;
    services.logError = [&](const std::string& text) { events.push_back("log " + text); };
    services.beep = [&] { events.push_back("beep"); };
    services.pause = [&](double s) { events.push_back("pause " + std::to_string(s)); };
    EXPECT_EQ(goGrLabel("x", "/nowhere/file0.grp", "L", services), "");
    EXPECT_EQ(events, (std::vector<std::string>{
                          "log Fucntion goGrLabel: frmMcrSetup: gGet_pPut must be a g for Get or a p for Put", "beep",
                          "pause 0.500000", "beep"}));
}

class RecorderTest : public ::testing::Test {
protected:
    RecorderTest() {
        services.recordingChanged = [this](bool on) { recordingEvents.push_back(on); };
        services.clearHandOver = [this] { ++handOverClears; };
    }
    GroupRecorder& recorder() {
        if (!recorder_) recorder_.emplace(dir.path(), labels, dialogs, services);
        return *recorder_;
    }
    void record(const std::vector<std::string>& codes) {
        recorder().startRecording();
        for (const auto& c : codes) EXPECT_TRUE(recorder().handOver(c));
    }

    TempDir dir;
    GroupLabels labels;
    ScriptedDialogs dialogs;
    GroupRecorderServices services;
    int handOverClears = 0;
    std::vector<bool> recordingEvents;
    std::optional<GroupRecorder> recorder_;
};

// Items recorded stay when another group is chosen and go to the one chosen last.
TEST_F(RecorderTest, RecordStopAndSaveWritesTheGroupFile) {
    labels.set(1, "Hall");
    auto& r = recorder();
    r.selectGroup(1);
    EXPECT_FALSE(r.saveEnabled());
    EXPECT_EQ(r.contentsCaption(), "Items currently saved in Group 2 ");

    r.selectGroup(0);
    record({kA1On, kC12On});
    EXPECT_FALSE(r.handOver("0110000000100000")) << "OFF commands are not group items";
    EXPECT_FALSE(r.handOver("0"));
    EXPECT_EQ(r.recordedTexts(), (std::vector<std::string>{"A1", "C12"}));
    EXPECT_EQ(r.counterText(), "2");

    r.stopRecording();
    r.selectGroup(1);
    EXPECT_TRUE(r.saveEnabled());

    EXPECT_EQ(r.saveGroup(), GroupRecorder::SaveResult::Saved);
    EXPECT_EQ(readFile(dir / "file1.grp"), kHallGroup);
    EXPECT_FALSE(std::filesystem::exists(dir / "file0.grp"));
    EXPECT_FALSE(r.saveEnabled());
    EXPECT_EQ(r.contentsBox(), "A1, C12");
    EXPECT_EQ(dialogs.shown.size(), 0u) << "no label question, no overwrite question";
    EXPECT_EQ(recordingEvents, (std::vector<bool>{true, false}));
}

TEST_F(RecorderTest, EmptyLabelAsksForANameAndCancelSavesWithoutOne) {
    auto& r = recorder();
    r.selectGroup(1);
    record({kA1On});
    dialogs.inputs.push_back(std::nullopt);
    EXPECT_EQ(r.saveGroup(), GroupRecorder::SaveResult::Saved);
    ASSERT_EQ(dialogs.count(Kind::Input), 1u);
    EXPECT_EQ(dialogs.last().title, "Name Group");
    EXPECT_EQ(dialogs.last().text,
              "Please name your Group.  Name should be a short description to identify what the group contains.");
    EXPECT_EQ(readFile(dir / "file1.grp"), "\"Group 2, \"\r\n\"0110000000000000\"\r\n");
    EXPECT_EQ(recordingEvents, (std::vector<bool>{true, false})) << "saving releases the record button";
}

TEST_F(RecorderTest, OverwriteQuestionCancelKeepsFileAndItems) {
    writeFile(dir / "file1.grp", kHallGroup);
    auto& r = recorder();
    r.selectGroup(1);
    EXPECT_EQ(r.labelBox(), "Hall") << "an empty main-window label is filled from the file";
    record({kA1On});
    r.stopRecording();
    dialogs.answers.push_back(Answer::No);
    EXPECT_EQ(r.saveGroup(), GroupRecorder::SaveResult::Cancelled);
    EXPECT_EQ(dialogs.last().title, "Group 2 Already Exists!");
    EXPECT_EQ(dialogs.last().text, "OK to overwrite existing group?");
    EXPECT_EQ(readFile(dir / "file1.grp"), kHallGroup);
    EXPECT_EQ(r.recordedCodes().size(), 1u);

    dialogs.answers.push_back(Answer::Yes);
    EXPECT_EQ(r.saveGroup(), GroupRecorder::SaveResult::Saved);
    EXPECT_EQ(readFile(dir / "file1.grp"), "\"Group 2, Hall\"\r\n\"0110000000000000\"\r\n");
    EXPECT_EQ(labels.get(1), "Hall");
}

TEST_F(RecorderTest, RemoveAndStartOver) {
    auto& r = recorder();
    r.startRecording();
    r.stopRecording();
    EXPECT_EQ(r.state(), RecorderState::Idle) << "stopping with nothing recorded";
    EXPECT_FALSE(r.startOverEnabled());
    record({kA1On, kC12On, kA1On});
    EXPECT_TRUE(r.remove(1));
    EXPECT_EQ(r.recordedCodes(), (std::vector<std::string>{kA1On, kA1On}));
    EXPECT_FALSE(r.remove(5));
    r.startOver();
    EXPECT_EQ(r.counterText(), "0");
    EXPECT_FALSE(r.removeEnabled());
    EXPECT_EQ(handOverClears, 1);
    EXPECT_EQ(r.saveGroup(), GroupRecorder::SaveResult::NothingRecorded);
    EXPECT_FALSE(std::filesystem::exists(dir / "file0.grp"));
}

TEST_F(RecorderTest, UpdateLabelReplacesOnlyTheLabelLineOrStartsAFileHoldingIt) {
    writeFile(dir / "file4.grp", "\"Group 5, Old\"\r\n\"0110000000000000\"\r\n\"0100010000011000\"\r\n");
    services.translate = [](const std::string& s) { return s == "Group" ? std::string("Gruppe") : s; };
    auto& r = recorder();
    r.selectGroup(4);
    r.setLabelBox("Garden");
    r.updateLabel();
    EXPECT_EQ(readFile(dir / "file4.grp"), "\"Group 5, Garden\"\r\n\"0110000000000000\"\r\n\"0100010000011000\"\r\n");
    EXPECT_EQ(labels.get(4), "Garden");
    EXPECT_EQ(r.listEntries()[4], "Group 5 (Garden)");
    ASSERT_EQ(dialogs.count(Kind::Message), 1u);
    EXPECT_EQ(dialogs.last().title, "Group 5");
    EXPECT_EQ(dialogs.last().text, "Gruppe 5's label has been changed\r\n to:   \"Garden\"");

    r.selectGroup(2); // no file
    r.updateLabel();
    EXPECT_EQ(dialogs.last().text, "Gruppe 3's label has been changed\r\n to:   \"NOTHING!\"");
    EXPECT_FALSE(std::filesystem::exists(dir / "file2.grp"));
    // A label for a group not recorded yet is kept in a file of its own, so it outlives a restart.
    r.setLabelBox("Study");
    r.updateLabel();
    EXPECT_EQ(labels.get(2), "Study");
    EXPECT_EQ(readFile(dir / "file2.grp"), "\"Group 3, Study\"\r\n");
    // A label that cannot be stored is said so and not shown.
    std::filesystem::remove(dir / "file2.grp");
    std::filesystem::create_directory(dir / "file2.grp");
    r.setLabelBox("Attic");
    r.updateLabel();
    EXPECT_EQ(labels.get(2), "Study");
    EXPECT_EQ(dialogs.last().text, "The label could not be saved to " + (dir / "file2.grp").string() +
                                       "\r\nThe group keeps its label \"Study\"");
}

TEST_F(RecorderTest, DeleteGroupAsksFirst) {
    writeFile(dir / "file1.grp", kHallGroup);
    labels.set(1, "Hall");
    auto& r = recorder();
    EXPECT_EQ(r.listEntries()[0], "Group 1") << "no label, no empty brackets";
    EXPECT_EQ(r.listEntries()[1], "Group 2 (Hall)");
    r.selectGroup(1);
    EXPECT_TRUE(r.deleteEnabled());
    EXPECT_FALSE(r.deleteGroup()) << "an unanswered question is a Cancel";
    EXPECT_EQ(dialogs.last().title, "Delete Group 2");
    EXPECT_EQ(dialogs.last().text, "This will delete all contents of group 2");
    EXPECT_TRUE(std::filesystem::exists(dir / "file1.grp"));
    dialogs.answers.push_back(Answer::Yes);
    EXPECT_TRUE(r.deleteGroup());
    EXPECT_FALSE(std::filesystem::exists(dir / "file1.grp"));
    EXPECT_EQ(labels.get(1) + r.labelBox() + r.contentsBox(), "");
    EXPECT_FALSE(r.deleteEnabled());
    EXPECT_FALSE(r.deleteGroup()) << "nothing left to delete, no question";
    EXPECT_EQ(dialogs.count(Kind::Question), 2u);
}

} // namespace
} // namespace zul::macros
