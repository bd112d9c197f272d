#pragma once

#include <QString>

#include <functional>

// What the command-line tools share: how they report and how they end.
namespace kelpora::tools {

// Runs body and turns a thrown kelpora::Error into one line "name: text" on stderr and
// exit status 1. body returns the exit status.
int runTool(const char* name, const std::function<int()>& body);

// One line on stdout.
void say(const QString& text);

} // namespace kelpora::tools
