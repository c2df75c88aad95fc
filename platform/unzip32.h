/* The published DLL interfaces of Info-ZIP's UnZip for Windows (unzip32.dll)
 * as far as the program uses them: one call that lists, tests or extracts an
 * archive, its option block DCL, its callback block USERFUNCTIONS, and the
 * version query; for UnZip 6.0 and, with the suffix 5, for the 5.5x line
 * (5.50-5.52), which clinics still have. Both export the same names with
 * other layouts, so a caller asks UzpVersion2 first: its block starts alike
 * in both. Shared by the program's unpacking (unzip-win32.cc) and the
 * substitutes in sim/unzip32 and sim/unzip32-5x, so that all agree on every
 * layout. All functions are __stdcall, exported undecorated. */
#ifndef PLATFORM_UNZIP32_H
#define PLATFORM_UNZIP32_H

#include <windows.h>

#ifndef UNZIP32_EXPORT
#define UNZIP32_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned long long uz_uint8;

typedef int(WINAPI UzPrint)(LPSTR text, unsigned long size);
typedef void(WINAPI UzSound)(void);
typedef int(WINAPI UzReplace)(LPSTR name, unsigned size);
typedef int(WINAPI UzPassword)(LPSTR buf, int size, LPCSTR prompt, LPCSTR entry);
/* Once per entry while listing (nvflag): sizes, compression factor, month, day,
 * year, hour, minute, a separator, the entry's name, the method's name, its
 * CRC and whether it is encrypted. */
typedef void(WINAPI UzMessage)(uz_uint8 size, uz_uint8 packed, unsigned factor, unsigned month,
                               unsigned day, unsigned year, unsigned hour, unsigned minute,
                               char separator, LPCSTR name, LPCSTR method, unsigned long crc,
                               char encrypted);
typedef void(WINAPI UzMessageI32)(unsigned long sizeLow, unsigned long sizeHigh,
                                  unsigned long packedLow, unsigned long packedHigh,
                                  unsigned factor, unsigned month, unsigned day, unsigned year,
                                  unsigned hour, unsigned minute, char separator, LPCSTR name,
                                  LPCSTR method, unsigned long crc, char encrypted);
/* Before each entry; nonzero stops the run. */
typedef int(WINAPI UzService)(LPCSTR entry, uz_uint8 size);
typedef int(WINAPI UzServiceI32)(LPCSTR entry, unsigned long sizeLow, unsigned long sizeHigh);

typedef struct {
  UzPrint* print;    /* required */
  UzSound* sound;    /* required */
  UzReplace* replace; /* required */
  UzPassword* password;
  UzMessage* SendApplicationMessage;
  UzService* ServCallBk;
  UzMessageI32* SendApplicationMessage_i32;
  UzServiceI32* ServCallBk_i32;
  uz_uint8 TotalSizeComp;
  uz_uint8 TotalSize;
  uz_uint8 NumMembers;
  unsigned CompFactor;
  WORD cchComment;
} USERFUNCTIONS;

#define UZ_DCL_STRUCTVER 0x600

typedef struct {
  unsigned StructVersID; /* UZ_DCL_STRUCTVER */
  int ExtractOnlyNewer;
  int SpaceToUnderscore;
  int PromptToOverwrite;
  int fQuiet; /* 0 all, 1 few, 2 no messages */
  int ncflag; /* to stdout */
  int ntflag; /* test */
  int nvflag; /* list */
  int nfflag; /* freshen */
  int nzflag; /* show the comment */
  int ndflag; /* 0 junk paths, 1 safe paths, 2 unsafe paths */
  int noflag; /* overwrite without asking */
  int naflag; /* line-end translation */
  int nZIflag;
  int B_flag;
  int C_flag;
  int D_flag;
  int U_flag;
  int fPrivilege;
  LPSTR lpszZipFN;
  LPSTR lpszExtractDir; /* null: the current folder */
} DCL;

typedef struct {
  unsigned char major, minor, patchlevel, not_used;
} UzVersionType;

typedef struct {
  unsigned long structlen; /* the caller sets it to the size it passes */
  unsigned long flag;      /* bit 0 beta, bit 1 uses zlib */
  char betalevel[10];
  char date[20];
  char zlibversion[10]; /* Info-ZIP's zlib_version, a macro of zlib.h */
  UzVersionType unzip;
  UzVersionType zipinfo;
  UzVersionType os2dll;
  UzVersionType windll;
  UzVersionType dllapimin;
} UzpVer2;

/* UnZip 5.5x: 32-bit sizes, a replace callback of one argument, no
 * structure version (nor B_flag, D_flag, U_flag) in DCL, and a version block
 * without dllapimin that UzpVersion2 fills without answering. */
typedef int(WINAPI UzReplace5)(LPSTR name);
typedef void(WINAPI UzMessage5)(unsigned long size, unsigned long packed, unsigned factor,
                                unsigned month, unsigned day, unsigned year, unsigned hour,
                                unsigned minute, char separator, LPSTR name, LPSTR method,
                                unsigned long crc, char encrypted);
typedef int(WINAPI UzService5)(LPCSTR entry, unsigned long size);

typedef struct {
  UzPrint* print;     /* required */
  UzSound* sound;     /* required */
  UzReplace5* replace; /* required */
  UzPassword* password;
  UzMessage5* SendApplicationMessage;
  UzService5* ServCallBk;
  unsigned long TotalSizeComp;
  unsigned long TotalSize;
  unsigned long CompFactor;
  unsigned long NumMembers;
  WORD cchComment;
} USERFUNCTIONS5;

typedef struct {
  int ExtractOnlyNewer;
  int SpaceToUnderscore;
  int PromptToOverwrite;
  int fQuiet;
  int ncflag;
  int ntflag;
  int nvflag;
  int nfflag;
  int nzflag;
  int ndflag;
  int noflag;
  int naflag;
  int nZIflag;
  int C_flag;
  int fPrivilege;
  LPSTR lpszZipFN;
  LPSTR lpszExtractDir;
} DCL5;

typedef struct {
  unsigned long structlen;
  unsigned long flag;
  char betalevel[10];
  char date[20];
  char zlibversion[10];
  UzVersionType unzip; /* at the same place as in UzpVer2 */
  UzVersionType zipinfo;
  UzVersionType os2dll;
  UzVersionType windll;
} UzpVer2_5;

/* Return codes of Wiz_SingleEntryUnzip. */
#define UZ_PK_OK 0
#define UZ_PK_WARN 1   /* done, with warnings (entries skipped) */
#define UZ_PK_ERR 2    /* some entries broken */
#define UZ_PK_BADERR 3 /* the archive is badly broken */
#define UZ_PK_MEM 4
#define UZ_PK_NOZIP 9  /* not a zip archive, or missing */
#define UZ_PK_PARAM 10
#define UZ_PK_FIND 11  /* no entry matched */
#define UZ_IZ_UNSUP 81 /* a method or feature it cannot unpack */

#ifndef UNZIP32_5X
UNZIP32_EXPORT int WINAPI Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv,
                                               DCL* dcl, USERFUNCTIONS* functions);
/* Fills the block; answers 0, or the size it expects when structlen is wrong. */
UNZIP32_EXPORT unsigned WINAPI UzpVersion2(UzpVer2* version);
#else
UNZIP32_EXPORT int WINAPI Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv,
                                               DCL5* dcl, USERFUNCTIONS5* functions);
/* Fills the block whatever structlen says; answers nothing. */
UNZIP32_EXPORT void WINAPI UzpVersion2(UzpVer2_5* version);
#endif

typedef int(WINAPI WizSingleEntryUnzip)(int, char**, int, char**, DCL*, USERFUNCTIONS*);
typedef int(WINAPI WizSingleEntryUnzip5)(int, char**, int, char**, DCL5*, USERFUNCTIONS5*);
/* 6.0's answer; 5.5x's returns nothing, so what comes back from it means nothing. */
typedef unsigned(WINAPI UzpVersion2Function)(void*);

#ifdef __cplusplus
}
#endif

#endif
