// Wine shows the Linux file system as drive Z:; test programs get Linux paths
// from the build and open them through their Windows names.
#ifndef SETUPB_TESTS_SUPPORT_WINE_PATH_H
#define SETUPB_TESTS_SUPPORT_WINE_PATH_H

#include <string>

// "/work/x/setupb.exe" -> "Z:\work\x\setupb.exe"; a path that is not
// absolute only has its slashes turned.
inline std::string WindowsPathOf(std::string path)
{
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

#endif
