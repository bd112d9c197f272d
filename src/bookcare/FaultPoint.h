#pragma once

namespace kelpora::bookcare {

// A named step of a tool's work where the tests stop it as a crash or a hung engine
// would: KELPORA_FAULT_AT=step kills the process there with SIGKILL, step:hang makes it
// wait for ever without using the processor. Does nothing otherwise.
void faultPoint(const char* step);

} // namespace kelpora::bookcare
