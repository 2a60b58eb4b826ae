// The program's pure decisions, row by row: the command tail, run mode, pre-flight, language, placement.
#include <gtest/gtest.h>

#include "dialogs/placement.h"
#include "flow/command_line.h"
#include "flow/preflight.h"
#include "resource.h"
#include "text/ui_language.h"

namespace {

// What the pre-flight decides: an exit code (0 done, 1 failed, 2 cancelled), or 3, the driver-present question.
enum class Decision { Done = 0, Failed = 1, Cancelled = 2, Ask = 3 };
enum class Mode { ByHand, Install, Reconfigure };

// Only the first character of the command tail counts; then the facts found decide.
TEST(Preflight, TheRunModeAndTheFactsFoundDecide)
{
    using enum Decision;
    const std::pair<const char*, Mode> tails[] = {
        {"", Mode::ByHand},   {"x1", Mode::ByHand},  {" 1", Mode::ByHand},      {"3", Mode::ByHand},
        {"1", Mode::Install}, {"12", Mode::Install}, {"2", Mode::Reconfigure}, {"21", Mode::Reconfigure}};
    // copies: the program runs from elsewhere than the system directory; source, target: the driver file found
    // beside the program, in the drivers folder. The decision by hand, with "1" (install) and "2" (reconfigure).
    const struct { bool copies; bool source; bool target; Decision byHand; Decision with1; Decision with2; } facts[] = {
        {.copies = false, .source = false, .target = false, .byHand = Failed, .with1 = Cancelled, .with2 = Cancelled},
        {.copies = false, .source = false, .target = true, .byHand = Done, .with1 = Cancelled, .with2 = Done},
        {.copies = false, .source = true, .target = false, .byHand = Failed, .with1 = Cancelled, .with2 = Cancelled},
        {.copies = false, .source = true, .target = true, .byHand = Done, .with1 = Cancelled, .with2 = Done},
        {.copies = true, .source = false, .target = false, .byHand = Failed, .with1 = Cancelled, .with2 = Cancelled},
        {.copies = true, .source = false, .target = true, .byHand = Failed, .with1 = Cancelled, .with2 = Cancelled},
        {.copies = true, .source = true, .target = false, .byHand = Done, .with1 = Done, .with2 = Cancelled},
        {.copies = true, .source = true, .target = true, .byHand = Ask, .with1 = Done, .with2 = Cancelled},
    };
    for (const auto& [tail, mode] : tails) {
        for (const auto& row : facts) {
            int ask = 7;
            const Outcome outcome =
                PreflightTableOutcome(RunModeFromTail(tail), row.copies, row.source, row.target, &ask);
            const Decision decided = ask != 0 ? Decision::Ask : static_cast<Decision>(outcome);
            const Decision due[] = {row.byHand, row.with1, row.with2};  // by Mode
            EXPECT_EQ(decided, due[int(mode)]) << "tail \"" << tail << "\", copies " << row.copies
                << ", driver beside the program " << row.source << ", driver installed " << row.target;
        }
    }
}

// The argument is what follows the program name and the blanks after it; an accented byte is part of a name.
TEST(CommandLine, TheTailFollowsTheNameAndItsBlanks)
{
    const std::pair<const char*, const char*> rows[] = {
        {"\"A:\\setupb.exe\" 1", "1"}, {"\"A:\\setupb.exe\"2", "2"}, {"A:\\setupb.exe 1", "1"},
        {"\"C:\\Ger\xE4te\\setupb.exe\" 1", "1"}, {"C:\\Ger\xE4te\\setupb.exe\t1", "1"}, {"", ""},
        {"A:\\setupb.exe \t  \t2 x", "2 x"}, {"C:\\acc\\Ger\xE4te\\setupb.exe", ""},
        {"\"A:\\setupb.exe 1", ""},  // a lone opening quote: all of it is the name
    };
    for (const auto& [line, tail] : rows) EXPECT_STREQ(CommandTailOf(line), tail) << "command line " << line;
}

TEST(UiLanguage, TheWholeLocaleIdChoosesTheBlock)
{
    const std::pair<LCID, int> rows[] = {  // 0x10407: German with the phone-book sort order
        {0x0407, BASE_GERMAN},  {0x0807, BASE_GERMAN},   {0x0C07, BASE_GERMAN},   {0x040C, BASE_FRENCH},
        {0x080C, BASE_FRENCH},  {0x0C0C, BASE_FRENCH},   {0x100C, BASE_FRENCH},   {0x0410, BASE_ITALIAN},
        {0x0810, BASE_ITALIAN}, {0x040A, BASE_SPANISH},  {0x080A, BASE_SPANISH},  {0x0C0A, BASE_SPANISH},
        {0x140C, BASE_ENGLISH}, {0x2C0A, BASE_ENGLISH},  {0x0816, BASE_ENGLISH},  {0x0409, BASE_ENGLISH},
        {0x10407, BASE_ENGLISH}, {0x1040A, BASE_ENGLISH}};
    for (const auto& [locale, base] : rows) {
        EXPECT_EQ(UiLanguage(locale).GetStringBase(), base) << std::hex << "locale 0x" << locale;
    }
}

TEST(Placement, CentredOverTheOwnerWhereItFramesTheDialogElseTheScreenAndKeptOnIt)
{
    const struct { const char* what; RECT dialog, owner; int screenWidth, screenHeight; LONG x, y; } rows[] = {
        {"dialog not at the origin, odd sizes", {22, 50, 422, 250}, {100, 50, 701, 451}, 1024, 768, 200, 150},
        {"owner just as large", {0, 0, 400, 200}, {10, 30, 410, 230}, 1024, 768, 10, 30},
        {"owner wider and taller than the screen", {0, 0, 400, 200}, {-50, -50, 1100, 850}, 1024, 768, 312, 284},
        {"owner off the left and top edges", {0, 0, 400, 200}, {-700, -390, -100, 10}, 1024, 768, 0, 0},
        {"owner off the right and bottom edges", {0, 0, 400, 200}, {900, 500, 1500, 900}, 1024, 768, 624, 568},
        {"no owner, screen of unknown width: 640", {0, 0, 400, 200}, {0, 0, 0, 0}, 0, 768, 120, 284},
        {"no owner, screen of unknown height: 480", {0, 0, 400, 200}, {0, 0, 0, 0}, 1024, 0, 312, 140},
        {"unknown size, owner within it", {0, 0, 400, 200}, {10, 10, 610, 410}, 0, 0, 110, 110},
        {"dialog larger than the screen", {0, 0, 800, 600}, {0, 0, 0, 0}, 640, 480, 0, 0},
    };
    for (const auto& row : rows) {
        const POINT position = CentredPosition(row.dialog, row.owner, row.screenWidth, row.screenHeight);
        EXPECT_EQ(position.x, row.x) << row.what;
        EXPECT_EQ(position.y, row.y) << row.what;
    }
}

}  // namespace
