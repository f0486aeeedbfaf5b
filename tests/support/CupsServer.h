#pragma once
// A private CUPS server for one test: its own configuration, spool, logs and
// socket in a temporary folder, with cups-pdf queues whose PDFs land in that
// folder too. A program reaches it through CUPS_SERVER=Socket(). It needs
// the cups and cups-pdf packages and root (cups-pdf runs only as root, and
// reads its per-queue settings from /etc/cups, where the file it writes is
// removed again). When anything is missing, SkipReason() says what.
#include <string>
#include <vector>

#include "support/TempDir.h"

class CupsServer {
public:
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    // "" when the server runs.
    const std::string& SkipReason() const { return skipReason_; }
    std::string Socket() const { return dir_.file("cups.sock"); }

    // A cups-pdf queue named Queue, the server's default when Default is
    // set; false (with SkipReason set) when CUPS refuses it.
    bool AddPdfQueue(const std::string& Queue, bool Default);
    // The first PDF the queue writes, waited for up to Seconds; "" when none.
    std::string WaitForPdf(const std::string& Queue, int Seconds) const;

private:
    std::string outputFolder(const std::string& Queue) const { return dir_.file("out-" + Queue); }
    static std::string queueSettings(const std::string& Queue);
    // Runs a program to its end; its exit status, or -1.
    static int run(const std::vector<std::string>& Arguments);
    std::string errorLogTail() const;

    TempDir dir_;
    int pid_ = -1;
    std::vector<std::string> queues_;
    std::string skipReason_;
};
