// The minizip functions that the package reader and writer call, defined here rather than linked:
// each loads libminizip (and with it zlib) on its first call and passes the call on. A program
// that never reads or writes a package, such as zelvan-cli answering a question, then starts
// without loading either library. Without the library every call fails as minizip reports a
// failure: the opens give no archive, the rest an error code.
//
// These definitions are not exported from the programs (no shared library refers to them when
// they are linked), so the library's own calls between its functions stay its own.
#include <dlfcn.h>
#include <unzip.h>
#include <zip.h>

namespace {

// The library's definition of `name`, null when the library or the name cannot be found.
template <class Function>
Function* real(const char* name) {
    static void* const library = ::dlopen("libminizip.so.1", RTLD_NOW | RTLD_LOCAL);
    return library ? reinterpret_cast<Function*>(::dlsym(library, name)) : nullptr;
}

}  // namespace

// Defines `name` with `params`: the call goes on to the library's `name` with `args`, and gives
// `failed` without the library.
#define ZELVAN_MINIZIP_FORWARD(result, name, failed, params, args) \
    result name params {                                           \
        static auto* const function = real<decltype(name)>(#name); \
        return function ? function args : failed;                  \
    }

extern "C" {

ZELVAN_MINIZIP_FORWARD(unzFile, unzOpen64, nullptr, (const void* path), (path))
ZELVAN_MINIZIP_FORWARD(int, unzClose, UNZ_INTERNALERROR, (unzFile file), (file))
ZELVAN_MINIZIP_FORWARD(int, unzGetGlobalInfo64, UNZ_INTERNALERROR,
                       (unzFile file, unz_global_info64* info), (file, info))
ZELVAN_MINIZIP_FORWARD(int, unzGoToFirstFile, UNZ_INTERNALERROR, (unzFile file), (file))
ZELVAN_MINIZIP_FORWARD(int, unzGoToNextFile, UNZ_INTERNALERROR, (unzFile file), (file))
ZELVAN_MINIZIP_FORWARD(int, unzGetCurrentFileInfo64, UNZ_INTERNALERROR,
                       (unzFile file, unz_file_info64* info, char* name, uLong nameSize,
                        void* extra, uLong extraSize, char* comment, uLong commentSize),
                       (file, info, name, nameSize, extra, extraSize, comment, commentSize))
ZELVAN_MINIZIP_FORWARD(int, unzOpenCurrentFile, UNZ_INTERNALERROR, (unzFile file), (file))
ZELVAN_MINIZIP_FORWARD(int, unzOpenCurrentFile2, UNZ_INTERNALERROR,
                       (unzFile file, int* method, int* level, int raw), (file, method, level, raw))
ZELVAN_MINIZIP_FORWARD(int, unzCloseCurrentFile, UNZ_INTERNALERROR, (unzFile file), (file))
ZELVAN_MINIZIP_FORWARD(int, unzReadCurrentFile, UNZ_INTERNALERROR,
                       (unzFile file, voidp buffer, unsigned length), (file, buffer, length))
ZELVAN_MINIZIP_FORWARD(int, unzeof, UNZ_INTERNALERROR, (unzFile file), (file))
ZELVAN_MINIZIP_FORWARD(int, unzGetLocalExtrafield, UNZ_INTERNALERROR,
                       (unzFile file, voidp buffer, unsigned length), (file, buffer, length))
ZELVAN_MINIZIP_FORWARD(zipFile, zipOpen64, nullptr, (const void* path, int append), (path, append))
ZELVAN_MINIZIP_FORWARD(int, zipOpenNewFileInZip4_64, ZIP_INTERNALERROR,
                       (zipFile file, const char* name, const zip_fileinfo* info,
                        const void* localExtra, uInt localExtraSize, const void* globalExtra,
                        uInt globalExtraSize, const char* comment, int method, int level, int raw,
                        int windowBits, int memLevel, int strategy, const char* password, uLong crc,
                        uLong versionMadeBy, uLong flagBase, int zip64),
                       (file, name, info, localExtra, localExtraSize, globalExtra, globalExtraSize,
                        comment, method, level, raw, windowBits, memLevel, strategy, password, crc,
                        versionMadeBy, flagBase, zip64))
ZELVAN_MINIZIP_FORWARD(int, zipWriteInFileInZip, ZIP_INTERNALERROR,
                       (zipFile file, const void* buffer, unsigned length), (file, buffer, length))
ZELVAN_MINIZIP_FORWARD(int, zipCloseFileInZip, ZIP_INTERNALERROR, (zipFile file), (file))
ZELVAN_MINIZIP_FORWARD(int, zipClose, ZIP_INTERNALERROR, (zipFile file, const char* comment),
                       (file, comment))

}  // extern "C"
