/*
 * version_info_test.c - the version resource of each shipped Windows file, as
 * the file's properties in Explorer show it: the fixed file and product
 * version numbers, and the texts FileVersion, ProductName, FileDescription,
 * OriginalFilename.
 *
 * Usage: version_info_test VERSION PRODUCT FILE...   (VERSION as "1.0.0")
 */
#include <windows.h>

#include <stdio.h>
#include <string.h>

static int passed, failed;

static void Check(int ok, const char* file, const char* what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        printf("FAILED: %s: %s\n", file, what);
    }
}

/* A text of the version resource's first (and only) language, or NULL. */
static const char* Text(void* info, const char* name) {
    struct {
        WORD language, codepage;
    } * translation;
    UINT size = 0;
    char key[128];
    char* value = NULL;
    if (!VerQueryValueA(info, "\\VarFileInfo\\Translation", (void**)&translation, &size) ||
        size < sizeof *translation)
        return NULL;
    snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s", translation->language,
             translation->codepage, name);
    if (!VerQueryValueA(info, key, (void**)&value, &size) || size == 0) return NULL;
    return value;
}

static const char* BaseName(const char* path) {
    const char *slash = strrchr(path, '\\'), *other = strrchr(path, '/');
    if (other > slash) slash = other;
    return slash ? slash + 1 : path;
}

static void CheckFile(const char* path, const char* version, const char* product) {
    static char info[16384];
    DWORD handle = 0, size = GetFileVersionInfoSizeA(path, &handle);
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT fixed_size = 0;
    unsigned major = 0, minor = 0, patch = 0;
    char expected[64];
    const char* text;

    if (size == 0 || size > sizeof info || !GetFileVersionInfoA(path, 0, size, info)) {
        Check(0, path, "has a version resource");
        return;
    }
    Check(1, path, "has a version resource");
    sscanf(version, "%u.%u.%u", &major, &minor, &patch);
    if (VerQueryValueA(info, "\\", (void**)&fixed, &fixed_size) && fixed_size >= sizeof *fixed) {
        Check(fixed->dwSignature == 0xFEEF04BD, path, "fixed file info signature");
        Check(fixed->dwFileVersionMS == (DWORD)MAKELONG(minor, major) &&
                  fixed->dwFileVersionLS == (DWORD)MAKELONG(0, patch),
              path, "fixed file version is the release's");
        Check(fixed->dwProductVersionMS == fixed->dwFileVersionMS &&
                  fixed->dwProductVersionLS == fixed->dwFileVersionLS,
              path, "fixed product version is the file version");
    } else {
        Check(0, path, "has fixed file info");
    }
    text = Text(info, "FileVersion");
    Check(text && strcmp(text, version) == 0, path, "FileVersion text is the release's");
    text = Text(info, "ProductVersion");
    Check(text && strcmp(text, version) == 0, path, "ProductVersion text is the release's");
    text = Text(info, "ProductName");
    Check(text && strcmp(text, product) == 0, path, "ProductName");
    text = Text(info, "FileDescription");
    Check(text && strlen(text) > 10, path, "FileDescription says what the file is");
    text = Text(info, "OriginalFilename");
    snprintf(expected, sizeof expected, "%s", BaseName(path));
    Check(text && lstrcmpiA(text, expected) == 0, path, "OriginalFilename is the file's name");
}

int main(int argc, char** argv) {
    int i;
    if (argc < 4) {
        fprintf(stderr, "usage: %s VERSION PRODUCT FILE...\n", argv[0]);
        return 2;
    }
    for (i = 3; i < argc; ++i) CheckFile(argv[i], argv[1], argv[2]);
    printf("%d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
