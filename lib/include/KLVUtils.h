// KLVUtils: the package library's public interface.
// FileConv turns a work folder (Puzzle.ini, base.bmp, resRRCC.bmp) into the puzzle
// package "<PuzzleName>.klv" beside them. Callers usually bind these exports by name at
// run time; this header gives the exact types and the calling convention for doing so,
// and what the library promises to a program with several threads.
#ifndef KLVUTILS_H_
#define KLVUTILS_H_

#include <stdint.h>

#if defined(_WIN32)
#define KLV_CALL __stdcall
#if defined(KLVUTILS_BUILDING)
#define KLV_EXPORT __declspec(dllexport)
#else
#define KLV_EXPORT __declspec(dllimport)
#endif
#else
#define KLV_CALL
#define KLV_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Threads. FileConv runs on the calling thread and returns when its work is done. The
// library keeps what a call has loaded per calling thread, until that thread's next call
// releases it, so calls on different threads may run at the same time, each over its own
// state. A call made on a thread whose call is still running (from inside the message
// handler, or on Windows from a window that the default message box lets run) returns 0
// at once and writes nothing.
//
// The message handler is one for the whole process: the one installed last, on whatever
// thread, receives the messages of every later call on every thread. It runs inside the
// call whose message it receives, on that call's thread, so with calls on several threads
// it may run on several threads at once. It may install another handler, which receives
// the call's later messages. A message that a call is already handing to the handler when
// another is installed still reaches the earlier one: keep the earlier handler's context
// valid until the calls running at the change have returned.

// Writes the package of the work folder `folder` (a zero-terminated path without a
// trailing separator; on Windows in the system's narrow code page, elsewhere in the file
// system's encoding). Returns 1 when the package was written completely, 0 otherwise;
// problems are reported through the message handler. Never throws.
KLV_EXPORT int16_t KLV_CALL FileConv(const char* folder);

// Receives one message of the library: a zero-terminated text in the platform's narrow
// encoding (UTF-8 on Linux, code page 932 on Windows) and the context given when the
// handler was installed. It runs inside FileConv, on the thread that called it.
typedef void(KLV_CALL* KLVMessageHandler)(const char* text, void* context);

// Installs `handler` for every later message of every thread; a null handler restores
// the default (one line on standard error on Linux, an information message box on
// Windows). May be called on any thread, also from inside the handler.
KLV_EXPORT void KLV_CALL KLVSetMessageHandler(KLVMessageHandler handler, void* context);

typedef int16_t(KLV_CALL* FileConvFunction)(const char* folder);
typedef void(KLV_CALL* KLVSetMessageHandlerFunction)(KLVMessageHandler handler, void* context);

#ifdef __cplusplus
}
#endif

#endif  // KLVUTILS_H_
