#include "profiles/JobSlots.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "profiles/TaskBuilding.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;

TInputOptions inputFor(const std::string& source) {
    TInputOptions input;
    input.FileName = source;
    return input;
}

TOutputOptions outputFor(const std::string& name) {
    TOutputOptions output;
    output.FileName = name;
    return output;
}

// Adds jobs named job0, job1, ... and returns their slots.
std::vector<int> addJobs(JobSlotTable& slots, int count, int firstNumber = 0) {
    std::vector<int> indexes;
    for (int i = 0; i < count; ++i) {
        const std::string name = "job" + std::to_string(firstNumber + i);
        const auto index =
            slots.store(inputFor("/m/" + name + ".mkv"), outputFor("/o/" + name + ".avi"));
        EXPECT_TRUE(index.has_value());
        indexes.push_back(index.value_or(-1));
    }
    return indexes;
}

std::vector<std::string> fullSources(const JobSlotTable& slots) {
    std::vector<std::string> sources;
    for (int i = 0; i < slots.count(); ++i) {
        if (slots.slot(i).state() == kSlotFull) {
            sources.push_back(slots.slot(i).input.FileName);
        }
    }
    return sources;
}

TEST(JobSlots, StartFreeAndFillFromTheLowestIndex) {
    JobSlotTable slots;
    EXPECT_EQ(slots.count(), 501);
    EXPECT_EQ(slots.countInState(kSlotFree), 501);
    EXPECT_THAT(addJobs(slots, 3), ElementsAre(0, 1, 2));
    // The state travels in the output record, which is handed on as it is.
    EXPECT_EQ(slots.slot(1).output.SubtitleLanguage, "Full");
    EXPECT_EQ(slots.slot(1).output.FileName, "/o/job1.avi");
    EXPECT_EQ(slots.slot(3).state(), "kong");
}

TEST(JobSlots, RemovingARowKeepsTheOthersPairedWithTheirRecords) {
    JobSlotTable slots;
    addJobs(slots, 4);
    ASSERT_TRUE(slots.retire(1));
    EXPECT_THAT(fullSources(slots), ElementsAre("/m/job0.mkv", "/m/job2.mkv", "/m/job3.mkv"));
    EXPECT_EQ(slots.slot(1).input.FileName, "/m/job2.mkv");
    EXPECT_EQ(slots.slot(2).output.FileName, "/o/job3.avi");
    EXPECT_EQ(slots.slot(3).state(), kSlotFree);
    EXPECT_EQ(slots.slot(500).state(), kSlotDeleted);
    EXPECT_EQ(slots.slot(500).input.FileName, "/m/job1.mkv");
    // The next job goes right after the remaining rows.
    EXPECT_THAT(addJobs(slots, 1, 4), ElementsAre(3));
}

TEST(JobSlots, EachRemovalCostsOneSlotUntilReset) {
    JobSlotTable slots;
    for (int k = 0; k < 3; ++k) {
        addJobs(slots, 1);
        ASSERT_TRUE(slots.retire(0));
    }
    EXPECT_EQ(slots.countInState(kSlotDeleted), 3);
    EXPECT_EQ(slots.slot(498).state(), kSlotDeleted);
    EXPECT_EQ(addJobs(slots, 501 - 3).back(), 497);
    EXPECT_FALSE(slots.store(inputFor("/m/x.mkv"), outputFor("/o/x.avi")).has_value());

    slots.reset();
    EXPECT_EQ(slots.countInState(kSlotFree), 501);
    EXPECT_THAT(addJobs(slots, 1), ElementsAre(0));
}

TEST(JobSlots, FullTableRefusesTheAdd) {
    JobSlotTable slots;
    addJobs(slots, 501);
    EXPECT_EQ(slots.countInState(kSlotFull), 501);
    EXPECT_FALSE(slots.store(inputFor("/m/x.mkv"), outputFor("/o/x.avi")).has_value());
    EXPECT_STRNE(kNoFreeSlotMessage, "");
    // The last slot can be removed too; it simply stays at the end.
    ASSERT_TRUE(slots.retire(500));
    EXPECT_EQ(slots.slot(500).state(), kSlotDeleted);
    EXPECT_FALSE(slots.store(inputFor("/m/x.mkv"), outputFor("/o/x.avi")).has_value());
}

TEST(JobSlots, MovesSwapWholeJobs) {
    JobSlotTable slots;
    addJobs(slots, 3);
    ASSERT_TRUE(slots.swapSlots(2, 1));  // move the last row up
    EXPECT_THAT(fullSources(slots), ElementsAre("/m/job0.mkv", "/m/job2.mkv", "/m/job1.mkv"));
    EXPECT_EQ(slots.slot(1).output.FileName, "/o/job2.avi");
    ASSERT_TRUE(slots.swapSlots(0, 1));  // move the first row down
    EXPECT_THAT(fullSources(slots), ElementsAre("/m/job2.mkv", "/m/job0.mkv", "/m/job1.mkv"));
    EXPECT_FALSE(slots.swapSlots(-1, 0));
    EXPECT_FALSE(slots.swapSlots(0, 501));
    EXPECT_FALSE(slots.retire(501));
}

TEST(TaskBuilding, OneTaskPerStoredJobInSlotOrder) {
    JobSlotTable slots;
    slots.store(inputFor("/m/a.mkv"), outputFor("/old/a.avi"));
    slots.store(inputFor("/m/b.mkv"), outputFor("/old/b(New_1).avi"));
    slots.store(inputFor("/m/c.mkv"), outputFor("/old/c(New_3).mp4"));
    slots.store(inputFor("/m/d.mkv"), outputFor("/old/d.avi"));
    slots.retire(3);
    const std::set<std::string> files = {"/out/a.avi", "/out/c.mp4", "/out/c(New_1).mp4"};
    const TaskList list = buildTasks(slots, "/out", ExistingFileRule::NewName,
                                     [&](const std::string& path) { return files.contains(path); });
    ASSERT_EQ(list.tasks.size(), 3u);
    EXPECT_TRUE(list.skippedSlots.empty());
    std::vector<std::string> names;
    for (std::size_t i = 0; i < list.tasks.size(); ++i) {
        EXPECT_EQ(list.tasks[i].slotIndex, static_cast<int>(i));
        names.push_back(list.tasks[i].outputFileName());
        EXPECT_EQ(list.tasks[i].output.SubtitleLanguage, "Full");
    }
    EXPECT_EQ(list.tasks[1].inputFileName(), "/m/b.mkv");
    // a: no mark, kept over the existing file; b: plain name free again; c: numbered anew.
    EXPECT_THAT(names, ElementsAre("/out/a.avi", "/out/b.avi", "/out/c(New_2).mp4"));
}

TEST(TaskBuilding, OverwriteRuleTakesThePlainName) {
    JobSlotTable slots;
    slots.store(inputFor("/m/c.mkv"), outputFor("/o/c(New_3).mp4"));
    const TaskList list = buildTasks(slots, "/o/", ExistingFileRule::Overwrite,
                                     [](const std::string&) { return true; });
    ASSERT_EQ(list.tasks.size(), 1u);
    EXPECT_EQ(list.tasks[0].outputFileName(), "/o/c.mp4");
}

TEST(TaskBuilding, JobWithoutAFreeNameIsLeftOut) {
    JobSlotTable slots;
    slots.store(inputFor("/m/a.mkv"), outputFor("/o/a(New_1).avi"));
    slots.store(inputFor("/m/b.mkv"), outputFor("/o/b.avi"));
    const TaskList list =
        buildTasks(slots, "/o", ExistingFileRule::NewName, [](const std::string&) { return true; });
    EXPECT_THAT(list.skippedSlots, ElementsAre(0));
    ASSERT_EQ(list.tasks.size(), 1u);
    EXPECT_EQ(list.tasks[0].slotIndex, 1);
}

TEST(TaskBuilding, JobsOfTheListNeverShareAnOutputOrOverwriteASource) {
    JobSlotTable slots;
    // a was numbered at add time because /o/a.avi existed then; it no longer does, but b now
    // holds the plain name. c and d carry the same name (stored before the list rule).
    slots.store(inputFor("/m/a.mkv"), outputFor("/old/a(New_1).avi"));
    slots.store(inputFor("/m/x.mkv"), outputFor("/old/a.avi"));
    slots.store(inputFor("/m/c.mkv"), outputFor("/old/c.avi"));
    slots.store(inputFor("/m2/c.mkv"), outputFor("/old/c.avi"));
    // e's plain name is the source of f, which runs after it.
    slots.store(inputFor("/m/e.mkv"), outputFor("/old/e(New_1).mkv"));
    slots.store(inputFor("/o/e.mkv"), outputFor("/old/e(New_2).avi"));
    const TaskList list = buildTasks(slots, "/o", ExistingFileRule::Overwrite,
                                     [](const std::string&) { return false; });
    std::vector<std::string> names;
    for (const TaskSpec& task : list.tasks) {
        names.push_back(task.outputFileName());
    }
    EXPECT_THAT(names, ElementsAre("/o/a(New_1).avi", "/o/a.avi", "/o/c.avi", "/o/c(New_1).avi",
                                   "/o/e(New_1).mkv", "/o/e.avi"));
}

}  // namespace
}  // namespace velmora
