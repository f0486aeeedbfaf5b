#include "support/CupsServer.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

const char* const Cupsd = "/usr/sbin/cupsd";
const char* const Lpadmin = "/usr/sbin/lpadmin";
const char* const PdfBackend = "/usr/lib/cups/backend/cups-pdf";
const char* const PdfDriver = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
// cups-pdf reads the settings of the queue named by its device URI here.
const char* const PdfSettingsFolder = "/etc/cups";
constexpr int StartSeconds = 15;
constexpr auto Poll = std::chrono::milliseconds(100);

void writeFile(const std::string& Path, const std::string& Text) { std::ofstream(Path, std::ios::binary) << Text; }

bool accepts(const std::string& Socket) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, Socket.c_str(), sizeof(address.sun_path) - 1);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return connected;
}

}  // namespace

CupsServer::CupsServer() {
    for (const char* needed : {Cupsd, Lpadmin, PdfBackend, PdfDriver})
        if (!fs::exists(needed)) {
            skipReason_ = std::string(needed) + " is missing (scripts/install-deps installs cups and cups-pdf)";
            return;
        }
    if (::geteuid() != 0) {
        skipReason_ = "the cups-pdf back end runs only as root";
        return;
    }
    // The filters run as lp and must reach the spool: the folders above it
    // that are this process's own let others pass through.
    ::chmod(dir_.path().c_str(), 0755);
    for (fs::path up = fs::path(dir_.path()).parent_path(); up.has_relative_path(); up = up.parent_path()) {
        struct stat info {};
        if (::stat(up.c_str(), &info) != 0 || info.st_uid != ::geteuid())
            break;
        ::chmod(up.c_str(), (info.st_mode & 07777) | S_IXGRP | S_IXOTH);
    }
    for (const char* folder : {"spool", "cache", "state", "log", "config"})
        fs::create_directories(dir_.file(folder));
    writeFile(dir_.file("cupsd.conf"), "Listen " + Socket() +
                                           "\nLogLevel warn\nWebInterface No\nBrowsing No\n"
                                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                           "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n");
    writeFile(dir_.file("cups-files.conf"),
              "ServerRoot " + dir_.file("config") + "\nRequestRoot " + dir_.file("spool") + "\nCacheDir " +
                  dir_.file("cache") + "\nStateDir " + dir_.file("state") + "\nErrorLog " + dir_.file("log/error_log") +
                  "\nAccessLog " + dir_.file("log/access_log") + "\nPageLog " + dir_.file("log/page_log") +
                  "\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\nUser lp\nGroup lp\nSystemGroup root\n");
    const std::string conf = dir_.file("cupsd.conf"), files = dir_.file("cups-files.conf");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::execl(Cupsd, "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid_ < 0) {
        skipReason_ = "cupsd could not be started";
        return;
    }
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(StartSeconds);
         std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(Poll)) {
        if (accepts(Socket()))
            return;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
    }
    skipReason_ = "the private cupsd did not start: " + errorLogTail();
}

CupsServer::~CupsServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    for (const std::string& queue : queues_)
        fs::remove(queueSettings(queue));
}

std::string CupsServer::queueSettings(const std::string& Queue) {
    return std::string(PdfSettingsFolder) + "/cups-pdf-" + Queue + ".conf";
}

bool CupsServer::AddPdfQueue(const std::string& Queue, bool Default) {
    if (!skipReason_.empty())
        return false;
    fs::create_directories(outputFolder(Queue));
    queues_.push_back(Queue);
    writeFile(queueSettings(Queue), "Out " + outputFolder(Queue) + "\nLog " + dir_.file("log") + "\n");
    // Cairo turns the job into PostScript that keeps its text as text.
    if (run({Lpadmin, "-h", Socket(), "-p", Queue, "-E", "-v", "cups-pdf:/" + Queue, "-P", PdfDriver, "-o",
             "pdftops-renderer-default=pdftocairo"}) != 0 ||
        (Default && run({Lpadmin, "-h", Socket(), "-d", Queue}) != 0)) {
        skipReason_ = "CUPS refused the cups-pdf queue " + Queue + ": " + errorLogTail();
        return false;
    }
    return true;
}

std::string CupsServer::WaitForPdf(const std::string& Queue, int Seconds) const {
    // The file is done when its size holds still between two looks.
    std::string candidate;
    std::uintmax_t size = 0;
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
         std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(Poll * 3)) {
        std::error_code error;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(outputFolder(Queue), error)) {
            if (entry.path().extension() != ".pdf")
                continue;
            const std::uintmax_t now = fs::file_size(entry.path(), error);
            if (entry.path().string() == candidate && now == size && now > 0)
                return candidate;
            candidate = entry.path().string();
            size = now;
        }
    }
    return "";
}

int CupsServer::run(const std::vector<std::string>& Arguments) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& a : Arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string CupsServer::errorLogTail() const {
    std::ifstream log(dir_.file("log/error_log"));
    std::stringstream text;
    text << log.rdbuf();
    const std::string all = text.str();
    return all.empty() ? "(no error log)" : all.substr(all.size() > 400 ? all.size() - 400 : 0);
}
