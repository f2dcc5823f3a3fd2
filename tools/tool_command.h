#pragma once
// cvdtool's subcommands register themselves here, one file per family of commands
// (archives, pictures, sounds, build, lint), so the dispatcher needs no list of them.

#include <string>
#include <vector>

namespace corvid::tool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // a file is missing, malformed or cannot be written
inline constexpr int kExitUsage = 2;    // the command line is wrong

struct ToolCommand {
  const char* name;   // first word: "list", "picture", ...
  const char* usage;  // one or more usage lines, without the "cvdtool " prefix
  // Gets the arguments after the name; returns an exit code. Errors go to stderr as
  // "cvdtool: FILE: what is wrong".
  int (*run)(const std::vector<std::string>& args);
};

// Registers a command; used by a static ToolCommandRegistrar in each command file.
void registerToolCommand(const ToolCommand& command);
const std::vector<ToolCommand>& toolCommands();

struct ToolCommandRegistrar {
  explicit ToolCommandRegistrar(const ToolCommand& command) { registerToolCommand(command); }
};

// Prints "cvdtool: <message>" on stderr and returns kExitFailure.
int toolError(const std::string& message);
// Prints the usage of one command on stderr and returns kExitUsage.
int toolUsage(const char* commandName);

}  // namespace corvid::tool
