#include "update_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "test_files.h"

namespace fs = std::filesystem;

namespace zelvan::test {

TestServer::TestServer(const fs::path& root) : root_(root) {
    int out[2];
    if (::pipe(out) != 0) return;
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(out[0]);
        ::close(out[1]);
        return;
    }
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execlp(ZELVAN_TEST_PYTHON, ZELVAN_TEST_PYTHON, ZELVAN_TEST_SERVER_SCRIPT, root.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    pid_ = pid;
    ::close(out[1]);
    // The first line is the port; give the interpreter ten seconds to start.
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&p, 1, 10000) > 0) {
        char buffer[64];
        ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    port_ = std::atoi(line.c_str());
}

TestServer::~TestServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
}

std::string TestServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> TestServer::requests() const {
    std::vector<std::string> lines;
    std::ifstream in(root_ / "requests.log");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int closedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

bool writeZip(const fs::path& path, const std::vector<ZipEntry>& entries) {
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip) return false;
    bool ok = true;
    for (const ZipEntry& e : entries) {
        zip_fileinfo info{};
        info.dosDate = e.dosDate;
        info.external_fa = e.externalAttributes;
        const void* extra = e.localExtra.empty() ? nullptr : e.localExtra.data();
        ok = ok &&
             zipOpenNewFileInZip4_64(
                 zip, e.name.c_str(), &info, extra, static_cast<uInt>(e.localExtra.size()), nullptr,
                 0, nullptr, e.deflate ? Z_DEFLATED : 0, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
                 DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, e.madeBy, 0, 0) == ZIP_OK;
        if (ok && !e.data.empty()) {
            ok = zipWriteInFileInZip(zip, e.data.data(), static_cast<unsigned>(e.data.size())) ==
                 ZIP_OK;
        }
        ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

std::string extendedTimeBlock(unsigned flags, const std::vector<std::int32_t>& times) {
    std::string data(1, static_cast<char>(flags));
    for (std::int32_t t : times) {
        for (int i = 0; i < 4; ++i) {
            data.push_back(static_cast<char>(static_cast<std::uint32_t>(t) >> (8 * i) & 0xFF));
        }
    }
    std::string block = {'U', 'T', static_cast<char>(data.size()), 0};
    return block + data;
}

namespace {

std::string nameList(const std::vector<std::string>& names) {
    std::string bytes(2, '\0');
    for (const std::string& n : names) {
        bytes.push_back(static_cast<char>(n.size() >> 8));
        bytes.push_back(static_cast<char>(n.size() & 0xFF));
        bytes += n;
    }
    bytes.append(2, '\0');
    return bytes;
}

void seven(std::string& out, int value) {  // two base-128 bytes, high first
    out.push_back(static_cast<char>(value / 128));
    out.push_back(static_cast<char>(value % 128));
}

void date(std::string& out, int value) {  // four base-128 bytes, low first
    for (int i = 0; i < 4; ++i, value /= 128) out.push_back(static_cast<char>(value % 128));
}

std::vector<std::pair<std::string, std::string>> timetableFiles(const TestTimetable& t) {
    std::vector<std::string> trainNames;
    std::vector<std::string> trainFiles(20);
    for (std::size_t i = 0; i < t.trains.size(); ++i) {
        const TestTrain& train = t.trains[i];
        trainNames.push_back(train.name);
        std::string& file = trainFiles[(i + 1) % 20];
        seven(file, static_cast<int>(i));
        file.push_back(0x21);  // kind code
        file.push_back(10);    // fare factor
        date(file, 20000101);
        date(file, 20991231);
        file.push_back(0);  // rule
        for (const TestStop& s : train.stops) {
            seven(file, s.station);
            file.push_back(static_cast<char>(s.hour));
            file.push_back(static_cast<char>(s.minute));
            file.push_back(static_cast<char>(s.dwell));
            seven(file, s.km);
        }
        file.push_back(static_cast<char>(0x80));
    }
    // Every station lists the trains that call there, each once, in train order.
    std::vector<std::string> stationFiles(10);
    for (std::size_t s = 0; s < t.stations.size(); ++s) {
        std::string& file = stationFiles[(s + 1) % 10];
        seven(file, static_cast<int>(s));
        for (std::size_t i = 0; i < t.trains.size(); ++i) {
            const std::vector<TestStop>& stops = t.trains[i].stops;
            if (std::any_of(stops.begin(), stops.end(),
                            [&](const TestStop& stop) { return stop.station == int(s); })) {
                seven(file, static_cast<int>(i));
            }
        }
        file.push_back(static_cast<char>(0x80));
    }
    std::vector<std::pair<std::string, std::string>> files = {{"s.i", nameList(t.stations)},
                                                              {"t.i", nameList(trainNames)}};
    for (int i = 0; i < 10; ++i) {
        files.push_back({"S" + std::to_string(i) + ".dat", stationFiles[i]});
    }
    for (int i = 0; i < 20; ++i) files.push_back({"T" + std::to_string(i) + ".dat", trainFiles[i]});
    if (!t.version.empty()) files.push_back({"ver.txt", t.version});
    return files;
}

}  // namespace

void writeTimetable(const fs::path& folder, const TestTimetable& timetable) {
    for (const auto& [name, bytes] : timetableFiles(timetable)) writeBytes(folder / name, bytes);
}

std::vector<ZipEntry> timetableEntries(const TestTimetable& timetable) {
    std::vector<ZipEntry> entries;
    for (const auto& [name, bytes] : timetableFiles(timetable)) {
        ZipEntry e;
        e.name = name;
        e.data = bytes;
        entries.push_back(e);
    }
    return entries;
}

std::vector<std::pair<std::string, std::string>> snapshot(const fs::path& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        std::string relative = fs::relative(it->path(), folder).string();
        if (relative.rfind(".update", 0) == 0) continue;  // the updater's own work folder
        if (it->is_regular_file()) files.push_back({relative, readBytes(it->path())});
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace zelvan::test
