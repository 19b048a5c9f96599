#include "platform/win32/FileAttributes.h"

#include <cstring>

#include "platform/win32/Owned.h"
#include "platform/win32/SystemError.h"

namespace falvori {

namespace {

// Attributes a new file can be given by handle.
constexpr DWORD kCarriedAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE;

constexpr SECURITY_INFORMATION kParts =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// The owner or the group (`get` says which) of a security descriptor.
PSID Sid(const SecurityBytes& security, BOOL(WINAPI* get)(PSECURITY_DESCRIPTOR, PSID*, LPBOOL)) {
    PSID sid = nullptr;
    BOOL defaulted = FALSE;
    if (security.empty() || !get(const_cast<unsigned char*>(security.data()), &sid, &defaulted)) return nullptr;
    return sid;
}

PSID Owner(const SecurityBytes& security) { return Sid(security, GetSecurityDescriptorOwner); }
PSID Group(const SecurityBytes& security) { return Sid(security, GetSecurityDescriptorGroup); }

bool Same(PSID a, PSID b) { return a && b && EqualSid(a, b); }

bool SameAccessList(const SecurityBytes& a, const SecurityBytes& b) {
    PACL listA = nullptr, listB = nullptr;
    BOOL presentA = FALSE, presentB = FALSE, defaulted = FALSE;
    if (!GetSecurityDescriptorDacl(const_cast<unsigned char*>(a.data()), &presentA, &listA, &defaulted) ||
        !GetSecurityDescriptorDacl(const_cast<unsigned char*>(b.data()), &presentB, &listB, &defaulted))
        return false;
    if (!presentA || !presentB || !listA || !listB) return presentA == presentB && !listA == !listB;
    return listA->AclSize == listB->AclSize && std::memcmp(listA, listB, listA->AclSize) == 0;
}

// Wine keeps a file's access as its Linux mode, and an entry for the user
// grants the group as well: a list given to a file does not come out as the
// mode of the file it was read from (0600 becomes 0770).
bool AccessListsAreModeBits() {
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}


Failure ReadSecurity(HANDLE file, SecurityBytes& security) {
    DWORD needed = 0;
    security.assign(256, 0);
    for (;;) {
        if (GetKernelObjectSecurity(file, kParts, security.data(), static_cast<DWORD>(security.size()), &needed))
            return {};
        const DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || needed <= security.size()) return SystemFailure(error);
        security.assign(needed, 0);
    }
}

Failure GiveSecurity(HANDLE file, const SecurityBytes& security) {
    SecurityBytes own;
    if (Failure failure = ReadSecurity(file, own)) return failure;
    SECURITY_INFORMATION parts = 0;
    if (!SameAccessList(own, security)) parts |= DACL_SECURITY_INFORMATION;
    if (!Same(Owner(own), Owner(security))) parts |= OWNER_SECURITY_INFORMATION;
    if (!Same(Group(own), Group(security))) parts |= GROUP_SECURITY_INFORMATION;
    if (parts == 0) return {};
    if (AccessListsAreModeBits()) return SystemFailure(ERROR_NOT_SUPPORTED);
    if (!SetKernelObjectSecurity(file, parts, const_cast<unsigned char*>(security.data()))) return LastFailure();
    return {};
}

}  // namespace

Failure ReadAttributes(HANDLE file, FileAttributes& attributes) {
    if (Failure failure = ReadSecurity(file, attributes.security)) return failure;
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) return LastFailure();
    // The creation time and the attributes a new file can be given by
    // handle; times left 0 stay as they are.
    FILE_BASIC_INFO carried{};
    carried.CreationTime = basic.CreationTime;
    carried.FileAttributes = basic.FileAttributes & kCarriedAttributes;
    if (!carried.FileAttributes) carried.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    attributes.basic = carried;
    return {};
}

Failure GiveAttributes(HANDLE file, const FileAttributes& attributes) {
    if (Failure failure = GiveSecurity(file, attributes.security)) return failure;
    FILE_BASIC_INFO basic = attributes.basic.value_or(FILE_BASIC_INFO{});
    if (attributes.basic && !SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic))
        return LastFailure();
    return {};
}

bool OwnedByThisUser(HANDLE file) {
    SecurityBytes security;
    if (ReadSecurity(file, security)) return false;
    const PSID owner = Owner(security);
    HANDLE raw = nullptr;
    if (!owner || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    OwnedHandle token(raw);
    for (const TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
        alignas(TOKEN_USER) unsigned char buffer[512];
        DWORD size = 0;
        if (!GetTokenInformation(token.Get(), kind, buffer, sizeof buffer, &size)) continue;
        const PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid
                                           : reinterpret_cast<TOKEN_OWNER*>(buffer)->Owner;
        if (Same(owner, sid)) return true;
    }
    return false;
}

}  // namespace falvori
