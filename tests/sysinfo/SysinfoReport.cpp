// Prints what the System and Memory pages would show about the operating system, one
// "key=value" line each; run by the tests under the Windows versions Wine can pretend to be.
#include <cstdio>

#include "quorvane/memory/CpuUsage.h"
#include "quorvane/sysinfo/WindowsVersion.h"

int main() {
    using namespace qv;
    const TWindowsFacts f = ReadWindowsFacts();
    std::printf("nt=%d\n", IsNtPlatform() ? 1 : 0);
    std::printf("name=%s\n", ReadOSName().c_str());
    std::printf("version=%s\n", f.Version.c_str());
    std::printf("productname=%s\n", f.ProductName.c_str());
    std::printf("type=%s\n", f.ProductType.c_str());
    std::printf("sp=%s\n", f.ServicePack.c_str());
    std::printf("build=%s\n", f.Build.c_str());
    std::printf("major=%s\n", f.Major.c_str());
    std::printf("minor=%s\n", f.Minor.c_str());
    std::printf("cpu=%d\n", GetCpuUsage());
    return 0;
}
