// The messenger's RSA key containers of the current user, in both key sets.
#include "containers.h"

#include <windows.h>
#include <wincrypt.h>
#include <string>

namespace {
std::string ContainerName(int bits)
{
    char user[MAX_PATH];
    DWORD size = sizeof(user);
    GetUserNameA(user, &size);
    return "qwill.rsa" + std::to_string(bits) + "." + user;
}

const char *ProviderFor(int bits)
{
    return bits == 1024 ? MS_ENHANCED_PROV_A : MS_DEF_PROV_A;
}

bool ContainerExists(int bits, DWORD keySet)
{
    HCRYPTPROV prov;
    if (!CryptAcquireContextA(&prov, ContainerName(bits).c_str(), ProviderFor(bits), PROV_RSA_FULL, keySet))
        return false;
    CryptReleaseContext(prov, 0);
    return true;
}

}  // namespace

void MakeContainers()
{
    for (int bits : {1024, 512})
        for (DWORD keySet : {(DWORD)CRYPT_MACHINE_KEYSET, (DWORD)0}) {
            HCRYPTPROV prov;
            if (CryptAcquireContextA(&prov, ContainerName(bits).c_str(), ProviderFor(bits), PROV_RSA_FULL,
                                     CRYPT_NEWKEYSET | keySet))
                CryptReleaseContext(prov, 0);
        }
}

int CountContainers()
{
    int n = 0;
    for (int bits : {1024, 512})
        for (DWORD keySet : {(DWORD)CRYPT_MACHINE_KEYSET, (DWORD)0})
            n += ContainerExists(bits, keySet);
    return n;
}

void DeleteContainers()
{
    for (int bits : {1024, 512})
        for (DWORD keySet : {(DWORD)CRYPT_MACHINE_KEYSET, (DWORD)0}) {
            HCRYPTPROV prov;
            CryptAcquireContextA(&prov, ContainerName(bits).c_str(), ProviderFor(bits), PROV_RSA_FULL,
                                 CRYPT_DELETEKEYSET | keySet);
        }
}

