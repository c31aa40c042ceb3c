/*
 * The stand-in OMXDRV driver's control codes, its two diagnostic requests and the layout of the
 * journal they return. Shared, as is, by the driver (C, kernel mode) and by the test programs
 * (C++, user mode): plain C, fixed-width fields, little-endian, no padding, bounded length.
 *
 * The controller's device answers one open handle at a time (the running copy's); a second open is
 * refused with a sharing violation. The diagnostic requests go to a device of their own, which only
 * SYSTEM and Administrators may open, and which the test build alone creates.
 *
 * Diagnostic requests (METHOD_BUFFERED, FILE_ANY_ACCESS, device type 0x8300):
 *   OMX_DIAG_READ_JOURNAL  no input; output at least sizeof(OmxStandinJournal): the journal.
 *   OMX_DIAG_RESET         input exactly sizeof(OmxStandinFaults), no output: empties the journal
 *                          (entries, counters, last block) and sets the injected faults. The
 *                          running state and the driver's kept parameters are left as they are.
 * Neither is recorded in the journal.
 */
#ifndef OMX_STANDIN_DIAG_H
#define OMX_STANDIN_DIAG_H

#include <stdint.h>

#define OMX_DEVICE_NAME_W L"\\Device\\OMXDRV"
#define OMX_DOS_DEVICE_NAME_W L"\\DosDevices\\OMXDRV"
#define OMX_USER_DEVICE_PATH "\\\\.\\OMXDRV"
#define OMX_DIAG_DEVICE_NAME_W L"\\Device\\OMXDIAG"
#define OMX_DIAG_DOS_DEVICE_NAME_W L"\\DosDevices\\OMXDIAG"
#define OMX_DIAG_DEVICE_PATH "\\\\.\\OMXDIAG"

/* The controller's four requests. */
#define OMX_IOCTL_DRIVE_MASK 0x83000000u
#define OMX_IOCTL_STOP 0x83000010u
#define OMX_IOCTL_START 0x83000014u
#define OMX_IOCTL_SET_PARAMS 0x83000018u
#define OMX_PARAM_BLOCK_SIZE 580u
#define OMX_DRIVE_MASK_SIZE 4u

/* Diagnostic requests: function numbers 0x800 and 0x801 (the customer range). */
#define OMX_DIAG_READ_JOURNAL 0x83002000u
#define OMX_DIAG_RESET 0x83002004u

#define OMX_JOURNAL_MAGIC 0x4A584D4Fu /* "OMXJ" */
#define OMX_JOURNAL_VERSION 1u
#define OMX_JOURNAL_CAPACITY 64u

/* Input of OMX_DIAG_RESET. */
typedef struct OmxStandinFaults {
    uint32_t
        RefuseCode; /* one of the four request codes to refuse (STATUS_UNSUCCESSFUL); 0: none */
    uint32_t
        OverrideMask; /* nonzero: the drive-mask request returns MaskValue instead of echoing */
    uint32_t MaskValue;
} OmxStandinFaults;

/* One received request (the four codes and any unknown code). */
typedef struct OmxJournalEntry {
    uint32_t Code;
    uint32_t InputLength;
    uint32_t OutputLength;
    int32_t Status;        /* the NTSTATUS the request was completed with */
    uint32_t RunningAfter; /* 1 when ciphering was (nominally) on after the request */
} OmxJournalEntry;

/* Output of OMX_DIAG_READ_JOURNAL. Counters count since the last reset (or the driver's load). */
typedef struct OmxStandinJournal {
    uint32_t Magic;        /* OMX_JOURNAL_MAGIC */
    uint32_t Version;      /* OMX_JOURNAL_VERSION */
    uint32_t Size;         /* sizeof(OmxStandinJournal) */
    uint32_t LoadStampLow; /* system time of the driver's load: tells one load from the next */
    uint32_t LoadStampHigh;
    uint32_t Running;        /* 1 between an accepted start and the next stop */
    uint32_t EntryCount;     /* entries held, at most OMX_JOURNAL_CAPACITY */
    uint32_t Lost;           /* requests not held because the entries were full */
    uint32_t Requests;       /* every request recorded or lost */
    uint32_t Refused;        /* requests completed with an error status */
    uint32_t MaskRequests;   /* accepted drive-mask requests */
    uint32_t BlocksAccepted; /* accepted 580-byte parameter blocks */
    uint32_t Starts;         /* accepted start requests */
    uint32_t Stops;          /* accepted stop requests */
    uint32_t Opens;          /* device opens (IRP_MJ_CREATE), refused ones included */
    uint32_t Closes;         /* device closes (IRP_MJ_CLOSE) */
    uint32_t LastMaskIn;     /* the last drive mask received */
    uint32_t LastMaskOut;    /* the mask returned for it */
    uint32_t HasBlock;       /* 1 once LastBlock holds an accepted block */
    OmxStandinFaults Faults; /* the faults in force */
    uint8_t LastBlock[OMX_PARAM_BLOCK_SIZE];
    OmxJournalEntry Entries[OMX_JOURNAL_CAPACITY];
} OmxStandinJournal;

#ifdef __cplusplus
#define OMX_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define OMX_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif
OMX_STATIC_ASSERT(sizeof(OmxStandinFaults) == 12, "faults layout");
OMX_STATIC_ASSERT(sizeof(OmxJournalEntry) == 20, "entry layout");
OMX_STATIC_ASSERT(sizeof(OmxStandinJournal) ==
                      88 + OMX_PARAM_BLOCK_SIZE + 20 * OMX_JOURNAL_CAPACITY,
                  "journal layout");

#endif /* OMX_STANDIN_DIAG_H */
