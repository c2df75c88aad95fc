/* The binary interfaces of the declaration libraries: the web service
 * PEAT1511B01 and the file exchange through the card reader nhi_eiiapi.
 *
 * Shared by the declaration window's loader and the simulated libraries in
 * sim/declare, so that both agree on every name and signature. The program
 * never links against the libraries: it loads them by name and resolves each
 * function by its undecorated name. On 32-bit Windows every function is
 * __stdcall. Plain C, so that any caller can include it.
 *
 * Text arguments are CP950 bytes, NUL-terminated. An in/out text is a buffer of
 * 256 bytes; a reply buffer of width W is W + 1 bytes, of which the library
 * writes at most W. */
#ifndef SIM_DECLARE_DECLARE_ABI_H
#define SIM_DECLARE_DECLARE_ABI_H

#if defined(_WIN32)
#define DECLARE_CALL __stdcall
#else
#define DECLARE_CALL
#endif

/* Put in front of every declaration; a library that defines the functions sets
 * it to its export attribute before including this header. */
#ifndef DECLARE_EXPORT
#define DECLARE_EXPORT
#endif

/* Sizes the caller provides. */
#define DECLARE_TEXT_BUFFER 256   /* in/out texts and PEA_get_errmsg */
#define DECLARE_RECEIPT_WIDTH 15  /* PEA_fa_upload's receipt */
#define DECLARE_NHI_ID_WIDTH 14   /* NHI_SendB's and NHI_DownloadB's identifiers */

/* X(name, parameter list, argument names) for every function of PEAT1511B01.
 * Negative answers are failures; PEA_get_errmsg then gives the reason. */
#define DECLARE_PEA_FUNCTIONS(X)                                                           \
  X(PEA_web_login, (char* server, int port, char* system, char* institution, char* password), \
    (server, port, system, institution, password))                                          \
  X(PEA_fa_upload, (char* paramFile, char* sendFile, char* receipt, int receiptLen),        \
    (paramFile, sendFile, receipt, receiptLen))                                             \
  X(PEA_fa_recv_qry, (char* paramFile, char* answerFile), (paramFile, answerFile))          \
  X(PEA_fa_proc_qry, (char* paramFile, char* answerFile), (paramFile, answerFile))          \
  X(PEA_web_download_lst, (char* paramFile, char* answerFile), (paramFile, answerFile))     \
  X(PEA_web_download_file, (char* fileName, char* answerFile), (fileName, answerFile))      \
  X(PEA_fa_del, (char* receipt), (receipt))                                                 \
  X(PEA_get_errmsg, (char* buf, int len), (buf, len))                                       \
  X(PEA_web_logout, (void), ())

/* X(name, parameter list, argument names) for every function of nhi_eiiapi.
 * 0 is success; every other answer is a code of the file exchange. */
#define DECLARE_NHI_FUNCTIONS(X)                                                            \
  X(NHI_SendB, (int port, char* readerDll, char* file, char* dataType, char* localId,       \
                char* nhiId),                                                               \
    (port, readerDll, file, dataType, localId, nhiId))                                      \
  X(NHI_DownloadB, (int port, char* readerDll, char* folder, char* dataType, char* localId, \
                    char* nhiId),                                                           \
    (port, readerDll, folder, dataType, localId, nhiId))                                    \
  X(NHI_GetB, (int port, char* readerDll, char* localId, char* nhiId, char* targetPath),    \
    (port, readerDll, localId, nhiId, targetPath))

#ifdef __cplusplus
extern "C" {
#endif

#define DECLARE_PROTOTYPE(name, params, args) DECLARE_EXPORT int DECLARE_CALL name params;
DECLARE_PEA_FUNCTIONS(DECLARE_PROTOTYPE)
DECLARE_NHI_FUNCTIONS(DECLARE_PROTOTYPE)
#undef DECLARE_PROTOTYPE

#ifdef __cplusplus
}
#endif

#endif
