// Runs a call inside a guard against machine faults (access violations and the like).
#pragma once

namespace VFoundation {

// Windows: a fault inside body writes a minidump into the temporary folder, logs
// "Software Error: a dump file has been created.  Please email this to Quorvanta\n", and the call
// answers false. Linux: a plug-in must not take over the host's signal handlers, so the body runs
// unguarded and the call answers true. audio thread; no allocation.
bool RunWithCrashGuard(void (*body)(void*), void* context);

// Set the product name and support address that the dump's log line and file name carry.
void SetCrashHandlerProduct(const char* productName, const char* supportAddress);

// How many more dump files this process may write (5 at start): a fault that repeats every block
// must not fill the disk. Later faults are still caught and logged. Any thread.
void SetCrashDumpBudget(int dumps);

}  // namespace VFoundation
