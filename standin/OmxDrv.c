/*
 * OMXDRV.SYS, the stand-in filter driver: a WDM kernel driver that honours the controller's side
 * of the driver contract and ciphers nothing.
 *
 * It creates \Device\OMXDRV with the link \DosDevices\OMXDRV and answers, METHOD_BUFFERED:
 *   drive mask (0x83000000)  4 bytes in, the same 4 bytes out (Information = 4);
 *   stop (0x83000010)        ends the nominal ciphering; harmless when nothing runs;
 *   start (0x83000014)       begins it; refused until a parameter block has been accepted;
 *   set params (0x83000018)  exactly 580 bytes accepted and kept; any other length refused;
 * and, only in the test build (OMX_STANDIN_DIAGNOSTICS defined), the two diagnostic requests of
 * OmxStandinDiag.h (journal read-back, reset with injected faults). Every other code is refused, so
 * the driver that goes into a package answers neither: the journal holds the last parameter block,
 * key digest included. All state lives in the device extension.
 *
 * The device opens only for SYSTEM, Administrators and interactive users, and that access list also
 * guards every name below the device (FILE_DEVICE_SECURE_OPEN).
 */
#include <ntifs.h>

#ifndef OBJ_KERNEL_HANDLE
#define OBJ_KERNEL_HANDLE 0x00000200L
#endif

#include "OmxStandinDiag.h"

typedef struct StandinState {
    KSPIN_LOCK Lock;
    UCHAR Params[OMX_PARAM_BLOCK_SIZE]; /* the block the next start would cipher with */
    ULONG HasParams;
    OmxStandinJournal Journal;
} StandinState;

DRIVER_INITIALIZE DriverEntry;

static void ResetJournal(OmxStandinJournal* journal, const OmxStandinFaults* faults) {
    /* Kept across a reset: the load stamp and the running state. */
    ULONG stampLow = journal->LoadStampLow;
    ULONG stampHigh = journal->LoadStampHigh;
    ULONG running = journal->Running;
    RtlZeroMemory(journal, sizeof(*journal));
    journal->Magic = OMX_JOURNAL_MAGIC;
    journal->Version = OMX_JOURNAL_VERSION;
    journal->Size = sizeof(*journal);
    journal->LoadStampLow = stampLow;
    journal->LoadStampHigh = stampHigh;
    journal->Running = running;
    if (faults != NULL) {
        journal->Faults = *faults;
    }
}

static void Record(OmxStandinJournal* journal, ULONG code, ULONG inLength, ULONG outLength,
                   NTSTATUS status) {
    journal->Requests++;
    if (!NT_SUCCESS(status)) {
        journal->Refused++;
    }
    if (journal->EntryCount >= OMX_JOURNAL_CAPACITY) {
        journal->Lost++;
        return;
    }
    OmxJournalEntry* entry = &journal->Entries[journal->EntryCount++];
    entry->Code = code;
    entry->InputLength = inLength;
    entry->OutputLength = outLength;
    entry->Status = status;
    entry->RunningAfter = journal->Running;
}

/* One of the controller's requests (or an unknown code); the lock is held. */
static NTSTATUS HandleRequest(StandinState* state, ULONG code, PVOID buffer, ULONG inLength,
                              ULONG outLength, ULONG_PTR* information) {
    OmxStandinJournal* journal = &state->Journal;
    if (code == journal->Faults.RefuseCode &&
        (code == OMX_IOCTL_DRIVE_MASK || code == OMX_IOCTL_STOP || code == OMX_IOCTL_START ||
         code == OMX_IOCTL_SET_PARAMS)) {
        return STATUS_UNSUCCESSFUL;
    }
    switch (code) {
    case OMX_IOCTL_DRIVE_MASK: {
        if (buffer == NULL || inLength < OMX_DRIVE_MASK_SIZE) {
            return STATUS_INVALID_PARAMETER;
        }
        if (outLength < OMX_DRIVE_MASK_SIZE) {
            return STATUS_BUFFER_TOO_SMALL;
        }
        /* Input and output share the system buffer: echoing is leaving the bytes in place. */
        ULONG mask;
        RtlCopyMemory(&mask, buffer, sizeof(mask));
        ULONG answer = journal->Faults.OverrideMask ? journal->Faults.MaskValue : mask;
        RtlCopyMemory(buffer, &answer, sizeof(answer));
        journal->LastMaskIn = mask;
        journal->LastMaskOut = answer;
        journal->MaskRequests++;
        *information = OMX_DRIVE_MASK_SIZE;
        return STATUS_SUCCESS;
    }
    case OMX_IOCTL_SET_PARAMS:
        if (buffer == NULL || inLength != OMX_PARAM_BLOCK_SIZE) {
            return STATUS_INFO_LENGTH_MISMATCH;
        }
        RtlCopyMemory(state->Params, buffer, OMX_PARAM_BLOCK_SIZE);
        state->HasParams = 1;
#ifdef OMX_STANDIN_DIAGNOSTICS
        RtlCopyMemory(journal->LastBlock, buffer, OMX_PARAM_BLOCK_SIZE);
        journal->HasBlock = 1;
#endif
        journal->BlocksAccepted++;
        return STATUS_SUCCESS;
    case OMX_IOCTL_START:
        if (!state->HasParams) {
            return STATUS_DEVICE_NOT_READY;
        }
        journal->Running = 1;
        journal->Starts++;
        return STATUS_SUCCESS;
    case OMX_IOCTL_STOP:
        journal->Running = 0;
        journal->Stops++;
        return STATUS_SUCCESS;
    default:
        return STATUS_INVALID_DEVICE_REQUEST;
    }
}

static NTSTATUS CompleteIrp(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    StandinState* state = (StandinState*)device->DeviceExtension;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    PVOID buffer = irp->AssociatedIrp.SystemBuffer;
    ULONG_PTR information = 0;
    NTSTATUS status;
    KIRQL irql;

    KeAcquireSpinLock(&state->Lock, &irql);
#ifdef OMX_STANDIN_DIAGNOSTICS
    if (code == OMX_DIAG_READ_JOURNAL) {
        if (buffer == NULL || outLength < sizeof(OmxStandinJournal)) {
            status = STATUS_BUFFER_TOO_SMALL;
        } else {
            RtlCopyMemory(buffer, &state->Journal, sizeof(OmxStandinJournal));
            information = sizeof(OmxStandinJournal);
            status = STATUS_SUCCESS;
        }
    } else if (code == OMX_DIAG_RESET) {
        if (buffer == NULL || inLength != sizeof(OmxStandinFaults)) {
            status = STATUS_INFO_LENGTH_MISMATCH;
        } else {
            OmxStandinFaults faults;
            RtlCopyMemory(&faults, buffer, sizeof(faults));
            ResetJournal(&state->Journal, &faults);
            status = STATUS_SUCCESS;
        }
    } else
#endif
    {
        status = HandleRequest(state, code, buffer, inLength, outLength, &information);
        if (!NT_SUCCESS(status)) {
            information = 0;
        }
        Record(&state->Journal, code, inLength, outLength, status);
    }
    KeReleaseSpinLock(&state->Lock, irql);
    return CompleteIrp(irp, status, information);
}

static NTSTATUS NTAPI DispatchOpenClose(PDEVICE_OBJECT device, PIRP irp) {
    StandinState* state = (StandinState*)device->DeviceExtension;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    KIRQL irql;
    KeAcquireSpinLock(&state->Lock, &irql);
    if (stack->MajorFunction == IRP_MJ_CREATE) {
        state->Journal.Opens++;
    } else if (stack->MajorFunction == IRP_MJ_CLOSE) {
        state->Journal.Closes++;
    }
    KeReleaseSpinLock(&state->Lock, irql);
    return CompleteIrp(irp, STATUS_SUCCESS, 0);
}

/* A SID with one or two sub-authorities of the NT authority (S-1-5-...), laid out as a SID. */
typedef struct NtSid {
    UCHAR Revision;
    UCHAR SubAuthorityCount;
    UCHAR Authority[6];
    ULONG SubAuthority[2];
} NtSid;

static const NtSid kLocalSystem = {1, 1, {0, 0, 0, 0, 0, 5}, {18, 0}};      /* S-1-5-18 */
static const NtSid kAdministrators = {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}}; /* S-1-5-32-544 */
static const NtSid kInteractive = {1, 1, {0, 0, 0, 0, 0, 5}, {4, 0}};       /* S-1-5-4 */

/* Sets the device's access list to "D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GRGW;;;IU)", through a kernel
 * handle opened for WRITE_DAC: interactive users may open it to read and write (send requests),
 * never change its access list or owner. Any failure fails the driver's load: an open device is
 * never left with the default access list. */
static NTSTATUS RestrictDeviceAccess(PDEVICE_OBJECT device) {
    ULONG acl[64]; /* room for the ACL header (8 bytes) and three ACEs of at most 24 bytes */
    SECURITY_DESCRIPTOR sd;
    const NtSid* sids[] = {&kLocalSystem, &kAdministrators, &kInteractive};
    const ACCESS_MASK rights[] = {GENERIC_ALL, GENERIC_ALL, GENERIC_READ | GENERIC_WRITE};
    NTSTATUS status = RtlCreateAcl((PACL)acl, sizeof(acl), ACL_REVISION);
    for (ULONG i = 0; NT_SUCCESS(status) && i < sizeof(sids) / sizeof(sids[0]); i++) {
        status = RtlAddAccessAllowedAce((PACL)acl, ACL_REVISION, rights[i], (PSID)sids[i]);
    }
    if (NT_SUCCESS(status)) {
        status = RtlCreateSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    }
    if (NT_SUCCESS(status)) {
        status = RtlSetDaclSecurityDescriptor(&sd, TRUE, (PACL)acl, FALSE);
    }
    if (NT_SUCCESS(status)) {
        sd.Control |= SE_DACL_PROTECTED;
        HANDLE handle = NULL;
        status = ObOpenObjectByPointer(device, OBJ_KERNEL_HANDLE, NULL, WRITE_DAC, NULL, KernelMode,
                                       &handle);
        if (NT_SUCCESS(status)) {
            status = ZwSetSecurityObject(handle, DACL_SECURITY_INFORMATION, &sd);
            ZwClose(handle);
        }
    }
    return status;
}

static void NTAPI DriverUnload(PDRIVER_OBJECT driver) {
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, OMX_DOS_DEVICE_NAME_W);
    IoDeleteSymbolicLink(&link);
    if (driver->DeviceObject != NULL) {
        IoDeleteDevice(driver->DeviceObject);
    }
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    UNICODE_STRING name;
    UNICODE_STRING link;
    PDEVICE_OBJECT device = NULL;
    (void)registryPath;

    RtlInitUnicodeString(&name, OMX_DEVICE_NAME_W);
    NTSTATUS status = IoCreateDevice(driver, sizeof(StandinState), &name, 0x8300,
                                     FILE_DEVICE_SECURE_OPEN, FALSE, &device);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    status = RestrictDeviceAccess(device);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    RtlInitUnicodeString(&link, OMX_DOS_DEVICE_NAME_W);
    status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }

    StandinState* state = (StandinState*)device->DeviceExtension;
    RtlZeroMemory(state, sizeof(*state));
    KeInitializeSpinLock(&state->Lock);
    LARGE_INTEGER now;
    KeQuerySystemTime(&now);
    state->Journal.LoadStampLow = now.LowPart;
    state->Journal.LoadStampHigh = (ULONG)now.HighPart;
    ResetJournal(&state->Journal, NULL);

    driver->MajorFunction[IRP_MJ_CREATE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->DriverUnload = DriverUnload;

    device->Flags |= DO_BUFFERED_IO;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}
