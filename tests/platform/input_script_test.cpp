#include <gtest/gtest.h>

#include "platform/headless/input_script.h"

namespace corvid {
namespace {

TEST(InputScript, EveryEventKind) {
  const std::string text =
      "# header\n"
      "10 click 5 6\n"
      "20 rclick 1 2\n"
      "30 down middle 3 4\n"
      "40 move 7 8\n"
      "50 wheel -2\n"
      "60 key Return\n"
      "70 keydown A\n"
      "80 menu SM01\n"
      "90 dialog text 悠 人\n"
      "95 dialog slot 3\n"
      "100 shot a.png\n"
      "110 state b.json  # written here\n"
      "120 quit\n";
  std::vector<ScriptedEvent> events;
  std::string error;
  ASSERT_TRUE(parseInputScript(text, events, error)) << error;
  using T = InputEvent::Type;
  using A = ScriptedEvent::Action;
  struct Row {
    uint32_t ms;
    A action;
    T type;
  };
  std::vector<Row> expected = {
      {10, A::Input, T::MouseDown}, {10, A::Input, T::MouseUp},   {20, A::Input, T::MouseDown},
      {20, A::Input, T::MouseUp},   {30, A::Input, T::MouseDown}, {40, A::Input, T::MouseMove},
      {50, A::Input, T::Wheel},     {60, A::Input, T::KeyDown},   {60, A::Input, T::KeyUp},
      {70, A::Input, T::KeyDown},   {80, A::Input, T::Menu},
  };
  ASSERT_EQ(events.size(), expected.size() + 5);
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(events[i].ms, expected[i].ms) << i;
    EXPECT_EQ(events[i].action, expected[i].action) << i;
    EXPECT_EQ(events[i].input.type, expected[i].type) << i;
  }
  EXPECT_EQ(events[2].input.button, MouseButton::Right);
  EXPECT_EQ(events[4].input.button, MouseButton::Middle);
  EXPECT_EQ(events[5].input.x, 7);
  EXPECT_EQ(events[6].input.wheel, -2);
  EXPECT_EQ(events[9].input.key, Key::Character);
  EXPECT_EQ(events[9].input.character, 'a');
  EXPECT_EQ(events[10].input.menuId, "SM01");
  EXPECT_EQ(events[11].words, (std::vector<std::string>{"text", "悠 人"}));
  EXPECT_EQ(events[12].words, (std::vector<std::string>{"slot", "3"}));
  EXPECT_EQ(events[13].path, "a.png");
  EXPECT_EQ(events[14].action, A::State);
  EXPECT_EQ(events[14].path, "b.json");
  EXPECT_EQ(events[15].action, A::Quit);
}

TEST(InputScript, MalformedLinesNameTheirLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"10 click 1\n", "line 1: 'click' takes 2 arguments"},
      {"x click 1 2\n", "line 1: bad time 'x'"},
      {"10 quit\n5 quit\n", "line 2: time goes backwards"},
      {"10 jump\n", "line 1: unknown event 'jump'"},
      {"10 key F13\n", "line 1: unknown key 'F13'"},
      {"10 down left 1\n", "line 1: 'down' takes 3 arguments"},
      {"10 down top 1 2\n", "line 1: bad button 'top'"},
      {"10 wheel 0\n", "line 1: bad wheel count"},
      {"10 dialog\n", "line 1: 'dialog' needs an answer"},
      {"10 dialog slot\n", "line 1: 'dialog slot' needs a slot number"},
      {"\n# c\n10 click a b\n", "line 3: bad coordinates"},
      {"10\n", "line 1: missing event"},
  };
  for (const Case& c : cases) {
    std::vector<ScriptedEvent> events;
    std::string error;
    EXPECT_FALSE(parseInputScript(c.text, events, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_TRUE(events.empty());
  }
}

}  // namespace
}  // namespace corvid
