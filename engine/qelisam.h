/*
 * qelisam: the ISAM engine library (libqelisam.so), a C ABI over SQLite.
 *
 * This interface is fixed: other programs call it. Every entry point returns a
 * 16-bit result code (0 = success, see the table below) and takes all of its
 * arguments by pointer. Nothing is raised and nothing is printed.
 *
 * Texts (IsmStr) are byte strings in the layout of a Windows BSTR: the pointer
 * points at NUL-terminated bytes and the byte length (uint32, without the NUL)
 * sits in the four bytes before it. A NULL IsmStr is the empty text. Every text
 * the library returns is allocated with SysAllocStringByteLen and must be freed
 * by the caller with SysFreeString.
 *
 * Datasets. A dataset named N (a path without extension) is the file N ".isd":
 * one SQLite database (rollback journal, never WAL) holding its field layout,
 * its key length and its records. Any number of handles in any number of
 * processes may have one dataset open at once; each write is one committed,
 * durable transaction when the call returns.
 *
 * Read runs. A run of reads on one handle (a positioning call and the reads
 * after it) holds one read transaction from its first read until the handle
 * writes, positions again, reads past the end or closes; a scan of N records
 * costs a constant number of lock operations. The open checks the file in a
 * read transaction that becomes the first run: the handle's first call
 * continues it (a positioning call too), so an open and a lookup share one
 * lock. While a run is open, writers in
 * other processes wait (and get 3 after the busy timeout), so callers must not
 * keep a handle open across user interaction.
 *
 * Reading. A sequential read that fails with 1 is the end; any other code is
 * an error, never an end: a row that is not whole and consistent (a key that
 * is not printable text within the key length, a record that is not exactly
 * the layout's size, an index value that is not the one the record's data
 * gives) is 15 and is never handed out, a failing disk is 14.
 *
 * Result codes:
 *   0 success            1 not found           2 key already present
 *   3 busy / locked      4 bad handle          5 invalid layout text
 *   6 illegal key        7 invalid parameter   8 not an ISAM dataset
 *   9 dataset exists    11 disk full          12 out of memory
 *  13 folder missing or not writable           14 read / write error
 *  15 damaged dataset   21 not available
 */
#ifndef QELISAM_H
#define QELISAM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define ISMCALL __stdcall
#else
#define ISMCALL
#endif

#if defined(_WIN32)
#define ISMAPI __declspec(dllexport)
#else
#define ISMAPI __attribute__((visibility("default")))
#endif

typedef char* IsmStr;

/* Result codes. */
enum {
    ISM_OK = 0,
    ISM_NOT_FOUND = 1,
    ISM_DUPLICATE = 2,
    ISM_BUSY = 3,
    ISM_BAD_HANDLE = 4,
    ISM_BAD_LAYOUT = 5,
    ISM_BAD_KEY = 6,
    ISM_BAD_PARAMETER = 7,
    ISM_NOT_ISAM = 8,
    ISM_EXISTS = 9,
    ISM_DISK_FULL = 11,
    ISM_NO_MEMORY = 12,
    ISM_FOLDER = 13,
    ISM_IO = 14,
    ISM_CORRUPT = 15,
    ISM_NOT_AVAILABLE = 21
};

/* Read modes of IsmGet. */
enum {
    ISM_READ_EQUAL = 0x1011,    /* exact match of the search key in the index */
    ISM_READ_NEXT = 0x1012,     /* next record in index order */
    ISM_READ_PREVIOUS = 0x1014, /* previous record in index order */
    ISM_READ_PREV_KEY = 0x2004  /* previous in the primary index, key only */
};

/* Put modes of IsmPut. */
enum { ISM_PUT_ADD = 1, ISM_PUT_REPLACE = 2 };

/* Open mode: shared read-write. The only mode accepted. */
enum { ISM_MODE_SHARED = 3 };

typedef struct IsmInfoRec {
    int32_t recordCount;
    int32_t flags; /* in: 0, or ISM_INFO_NO_COUNT */
    int16_t keyLength;
    char reserved1[14];
    IsmStr infoText; /* set by the engine; the caller frees it */
    IsmStr noteText; /* the caller sets it empty before and frees it after */
} IsmInfoRec;

/* A new text of `length` bytes copied from `text` (which may be NULL: the
 * bytes are then zero), NUL-terminated. Returns NULL when out of memory. */
ISMAPI IsmStr ISMCALL SysAllocStringByteLen(const char* text, uint32_t length);
/* Frees a text made by SysAllocStringByteLen. NULL is ignored. */
ISMAPI void ISMCALL SysFreeString(IsmStr text);

/* Creates the empty dataset *name with the given key length (1..64) and layout
 * text, exclusively: an existing file is left byte for byte as it was (9).
 * The dataset is built under the name N.isd.new-HOST-PID-COUNT (HOST: this
 * computer's name, its letters, digits and dots) and then given its own;
 * such files of this computer whose process is gone are removed first.
 * A missing folder gives 13, a bad layout 5, a bad key length 7. The dataset
 * is left closed. r1, r2 and r3 are reserved (pass 0). */
ISMAPI int16_t ISMCALL IsmCreate(IsmStr* name, int16_t* keyLength, int32_t* r1, int16_t* r2, int16_t* r3,
                                 IsmStr* layout);
/* Opens *name in *mode (must be 3) and stores a new handle in *handle.
 * Missing dataset 1, not ours 8 (any file that is not one of our datasets),
 * damaged 15 (ours, but its description or size is not whole), folder
 * missing or no permission 13. r is reserved (pass 0). Leftovers of killed
 * creates of this dataset are removed as IsmCreate does. */
ISMAPI int16_t ISMCALL IsmOpen(IsmStr* name, int16_t* r, int16_t* mode, uint32_t* handle);
/* Releases the handle. Bad handle 4. */
ISMAPI int16_t ISMCALL IsmClose(uint32_t* handle);
/* Reads one record in index *index (0 primary, K the "X" field at layout
 * position K) with *readMode. On success the whole record is copied into
 * buffer (which must hold the record length), the primary key is returned in
 * *keyOut and the record's value in that index in *indexValueOut. On failure
 * both outputs are set empty and buffer is untouched. Mode 0x2004 fills only
 * the key. Any previous texts in the outputs are not freed by the call. */
ISMAPI int16_t ISMCALL IsmGet(uint32_t* handle, int16_t* index, int16_t* readMode, IsmStr* searchKey,
                              IsmStr* indexValueOut, IsmStr* keyOut, void* buffer);
/* Adds (mode 1; an existing key gives 2) or replaces (mode 2; an absent key
 * gives 1) the record under *key. The key is 1 to key-length printable ASCII
 * characters, else 6. Exactly the record length's bytes are read from buffer. */
ISMAPI int16_t ISMCALL IsmPut(uint32_t* handle, IsmStr* key, void* buffer, int16_t* putMode);
/* Deletes the record with primary key *key; absent key 1. */
ISMAPI int16_t ISMCALL IsmDelete(uint32_t* handle, IsmStr* key);
/* Positions the handle before the first (BOF) or after the last (EOF) record
 * of index *index, so that a next (previous) read returns the first (last). */
ISMAPI int16_t ISMCALL IsmBOF(uint32_t* handle, int16_t* index);
ISMAPI int16_t ISMCALL IsmEOF(uint32_t* handle, int16_t* index);
/* Fills *info: record count, key length and a new infoText. With
 * ISM_INFO_NO_COUNT in info->flags the records are not counted (a pass over
 * the whole dataset) and recordCount is -1. */
enum { ISM_INFO_NO_COUNT = 1 };
ISMAPI int16_t ISMCALL IsmInfo(uint32_t* handle, IsmInfoRec* info);

/* Present for completeness; each returns 21. */
ISMAPI int16_t ISMCALL IsmLock(uint32_t* handle);
ISMAPI int16_t ISMCALL IsmUnlock(uint32_t* handle);
ISMAPI int16_t ISMCALL IsmKill(IsmStr* name);
ISMAPI int16_t ISMCALL IsmReadNote(uint32_t* handle, IsmStr* note);
ISMAPI int16_t ISMCALL IsmWriteNote(uint32_t* handle, IsmStr* note);
/* With *field 0, stores in *value a new text: the layout text the dataset was
 * created with, so that a caller can refuse a dataset whose records are not
 * the size of its buffers before reading any. Other fields give 7. (Engines
 * before this one return 21 for every call.) */
ISMAPI int16_t ISMCALL IsmFetchField(uint32_t* handle, int16_t* field, IsmStr* value);

#ifdef __cplusplus
}
#endif

#endif /* QELISAM_H */
