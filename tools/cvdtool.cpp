// cvdtool: the title authors' tool. Dispatches to the registered subcommands.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tool_command.h"

namespace corvid::tool {

static std::vector<ToolCommand>& registry() {
  static std::vector<ToolCommand> commands;
  return commands;
}

void registerToolCommand(const ToolCommand& command) { registry().push_back(command); }
const std::vector<ToolCommand>& toolCommands() { return registry(); }

int toolError(const std::string& message) {
  std::fprintf(stderr, "cvdtool: %s\n", message.c_str());
  return kExitFailure;
}

int toolUsage(const char* commandName) {
  for (const ToolCommand& c : registry())
    if (std::strcmp(c.name, commandName) == 0) std::fprintf(stderr, "usage: cvdtool %s\n", c.usage);
  return kExitUsage;
}

static void printUsage(FILE* out) {
  std::fprintf(out, "usage:\n");
  for (const ToolCommand& c : registry()) {
    std::string usage = c.usage;
    size_t start = 0;
    while (start < usage.size()) {
      size_t end = usage.find('\n', start);
      if (end == std::string::npos) end = usage.size();
      std::fprintf(out, "  cvdtool %s\n", usage.substr(start, end - start).c_str());
      start = end + 1;
    }
  }
}

}  // namespace corvid::tool

int main(int argc, char** argv) {
  using namespace corvid::tool;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    printUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? kExitUsage : kExitOk;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const ToolCommand& c : toolCommands())
    if (std::strcmp(c.name, argv[1]) == 0) return c.run(args);
  std::fprintf(stderr, "cvdtool: unknown command '%s'\n", argv[1]);
  printUsage(stderr);
  return kExitUsage;
}
