/* The I/O floor of a file-only export: only the work no export can avoid.
 *
 *   io_floor DIR PLU_BYTES RESULT_BYTES
 *
 * Reads the whole goods file DIR/kasa.exp, appends it line by line (with a
 * header line) to DIR/ARCH2.EXP, writes DIR/digism.exp of PLU_BYTES bytes
 * and DIR/wynik.exp of RESULT_BYTES bytes. No parsing, no records: the
 * export benchmark runs this beside the export and divides their times.
 * Plain C and stdio on purpose, so that nothing of the library's own code
 * flatters or burdens the floor. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static FILE* OpenIn(const char* dir, const char* name, const char* mode) {
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", dir, name);
    FILE* f = fopen(path, mode);
    if (!f) {
        perror(path);
        exit(2);
    }
    return f;
}

/* Writes `bytes` bytes of record-like text in 64 KiB pieces. */
static void WriteBytes(FILE* f, unsigned long long bytes) {
    static char block[64 * 1024];
    memset(block, ' ', sizeof block);
    while (bytes > 0) {
        size_t n = bytes < sizeof block ? (size_t)bytes : sizeof block;
        if (fwrite(block, 1, n, f) != n) {
            perror("write");
            exit(2);
        }
        bytes -= n;
    }
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: io_floor DIR PLU_BYTES RESULT_BYTES\n");
        return 2;
    }
    const char* dir = argv[1];
    unsigned long long pluBytes = strtoull(argv[2], NULL, 10);
    unsigned long long resultBytes = strtoull(argv[3], NULL, 10);

    FILE* in = OpenIn(dir, "kasa.exp", "rb");
    FILE* arch = OpenIn(dir, "ARCH2.EXP", "ab");
    fputs("\r\n----------- [EKSPORT WYKONANY DNIA: 2024-01-01 00:00:00] ------------\r\n", arch);
    char line[64 * 1024];
    while (fgets(line, sizeof line, in)) {
        if (fputs(line, arch) == EOF) {
            perror("ARCH2.EXP");
            return 2;
        }
    }
    fclose(in);
    if (fclose(arch) != 0) return 2;

    FILE* plu = OpenIn(dir, "digism.exp", "wb");
    WriteBytes(plu, pluBytes);
    if (fclose(plu) != 0) return 2;
    FILE* result = OpenIn(dir, "wynik.exp", "wb");
    WriteBytes(result, resultBytes);
    if (fclose(result) != 0) return 2;
    return 0;
}
