// Resource counters of the current process, for leak checks and benchmarks.
// Under Wine GetGuiResources, GetProcessHandleCount and PrivateUsage read 0, so
// the figures that really move there are the kernel handle count taken from the
// system's handle table, the GDI objects found in the GDI handle table, and the
// working set.
#pragma once
#include <windows.h>
#include <psapi.h>

#include <vector>

struct ProcessCounters {
    DWORD gdiObjects = 0;    // GetGuiResources: 0 under Wine
    DWORD userObjects = 0;   // GetGuiResources: 0 under Wine
    DWORD handleCount = 0;   // GetProcessHandleCount: 0 under Wine
    long kernelHandles = -1; // from the system handle table; -1 when it cannot be read
    int gdiTableObjects = 0; // GDI objects found by probing the GDI handle table
    SIZE_T privateBytes = 0; // 0 under Wine
    SIZE_T workingSet = 0;
};

namespace process_counters_detail {
struct HandleEntry {
    PVOID object;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};
struct HandleTable {
    ULONG_PTR numberOfHandles;
    ULONG_PTR reserved;
    HandleEntry handles[1];
};
using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG SystemExtendedHandleInformation = 64;
constexpr LONG StatusInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
}  // namespace process_counters_detail

// Counts the handles of this process in the system's handle table.
inline long CountKernelHandles() {
    using namespace process_counters_detail;
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<unsigned char> buffer(1 << 16);
    for (int attempt = 0; attempt < 12; ++attempt) {
        ULONG needed = 0;
        LONG status = query(SystemExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == StatusInfoLengthMismatch) {
            buffer.resize(needed > buffer.size() ? needed + 4096 : buffer.size() * 2);
            continue;
        }
        if (status < 0) return -1;
        auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
        const ULONG_PTR self = GetCurrentProcessId();
        long count = 0;
        for (ULONG_PTR i = 0; i < table->numberOfHandles; ++i)
            if (table->handles[i].uniqueProcessId == self) ++count;
        return count;
    }
    return -1;
}

// Live GDI objects of this process. GetGuiResources reads 0 under Wine, but there
// a handle's low word is its slot in the process's GDI table and a handle with
// the high word zero still names that slot's object: counting the slots that
// answer GetObjectType counts the objects.
inline int CountGdiObjects() {
    int count = 0;
    for (ULONG_PTR slot = 1; slot <= 0xFFFF; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) {
            ++count;
        }
    }
    return count;
}

inline ProcessCounters ReadProcessCounters() {
    ProcessCounters c;
    HANDLE self = GetCurrentProcess();
    c.gdiObjects = GetGuiResources(self, GR_GDIOBJECTS);
    c.userObjects = GetGuiResources(self, GR_USEROBJECTS);
    GetProcessHandleCount(self, &c.handleCount);
    c.kernelHandles = CountKernelHandles();
    c.gdiTableObjects = CountGdiObjects();
    PROCESS_MEMORY_COUNTERS_EX mem{};
    mem.cb = sizeof mem;
    if (GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof mem)) {
        c.privateBytes = mem.PrivateUsage;
        c.workingSet = mem.WorkingSetSize;
    }
    return c;
}
