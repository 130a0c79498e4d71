// KLVUtils: the package library's public interface.
// FileConv turns a work folder (Puzzle.ini, base.bmp, resRRCC.bmp) into the puzzle
// package "<PuzzleName>.klv" beside them. Callers usually bind these exports by name at
// run time; this header gives the exact types and the calling convention for doing so.
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

// Writes the package of the work folder `folder` (a zero-terminated path without a
// trailing separator; on Windows in the system's narrow code page, elsewhere in the file
// system's encoding). Returns 1 when the package was written completely, 0 otherwise;
// problems are reported through the message handler. Not re-entrant: calls must not
// overlap. Never throws.
KLV_EXPORT int16_t KLV_CALL FileConv(const char* folder);

// Receives one message of the library: a zero-terminated text in the platform's narrow
// encoding (UTF-8 on Linux, code page 932 on Windows) and the context given when the
// handler was installed. The handler runs on the caller's thread inside FileConv.
typedef void(KLV_CALL* KLVMessageHandler)(const char* text, void* context);

// Installs `handler` for every later message; a null handler restores the default
// (one line on standard error on Linux, an information message box on Windows).
KLV_EXPORT void KLV_CALL KLVSetMessageHandler(KLVMessageHandler handler, void* context);

typedef int16_t(KLV_CALL* FileConvFunction)(const char* folder);
typedef void(KLV_CALL* KLVSetMessageHandlerFunction)(KLVMessageHandler handler, void* context);

#ifdef __cplusplus
}
#endif

#endif  // KLVUTILS_H_
