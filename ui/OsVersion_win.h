#pragma once

namespace tavrin {

struct OsVersion {
    unsigned long major = 0;
    unsigned long minor = 0;
};

// The version the system really is. GetVersionExW is told a lower one by compatibility shims and
// manifests, so the kernel is asked directly where it can be.
OsVersion operatingSystemVersion();

inline bool isWindows2000(const OsVersion& version) {
    return version.major == 5 && version.minor == 0;
}

}  // namespace tavrin
