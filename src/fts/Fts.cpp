#include "fts/Fts.h"

#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "fts/FtsIndex.h"
#include "fts/Words.h"

static_assert(FtsMaxKeyLength == fts::FtsMaxKeyLengthBytes);

namespace {

// Open indexes by handle. Shared pointers let a call finish on its index
// while another thread closes a different handle.
struct HandleTable {
    std::mutex mutex;
    std::map<int, std::shared_ptr<fts::FtsIndex>> open;
    int lastHandle = 0;
};

HandleTable& handles() {
    static HandleTable table;
    return table;
}

std::shared_ptr<fts::FtsIndex> find(int handle) {
    HandleTable& table = handles();
    std::lock_guard<std::mutex> guard(table.mutex);
    auto it = table.open.find(handle);
    return it == table.open.end() ? nullptr : it->second;
}

int enter(std::unique_ptr<fts::FtsIndex> index) {
    HandleTable& table = handles();
    std::lock_guard<std::mutex> guard(table.mutex);
    const int handle = ++table.lastHandle;
    table.open.emplace(handle, std::move(index));
    return handle;
}

// Runs a call, turning every failure into its result code.
template <class Call>
int guarded(Call call) {
    try {
        return call();
    } catch (const fts::Failure& f) {
        return f.code();
    } catch (const std::bad_alloc&) {
        return FtsErrNoMemory;
    } catch (...) {
        return FtsErrIo;
    }
}

template <class Call>
int onIndex(int handle, Call call) {
    std::shared_ptr<fts::FtsIndex> index = find(handle);
    if (!index) return FtsErrBadHandle;
    return guarded([&] { return call(*index); });
}

template <class Make>
int openWith(const char* path, int* handle, Make make) {
    if (!path || !*path || !handle) return FtsErrBadArgument;
    *handle = 0;
    return guarded([&] {
        *handle = enter(make(std::string(path)));
        return FtsOk;
    });
}

}  // namespace

int FtsOpen(const char* path, int, int, int* handle) {
    return openWith(path, handle, [](const std::string& p) { return fts::FtsIndex::Open(p); });
}

int FtsCreate(const char* path, int, int, int, int, int* handle) {
    return openWith(path, handle, [](const std::string& p) { return fts::FtsIndex::Create(p); });
}

int FtsClose(int handle) {
    std::shared_ptr<fts::FtsIndex> index;
    {
        HandleTable& table = handles();
        std::lock_guard<std::mutex> guard(table.mutex);
        auto it = table.open.find(handle);
        if (it == table.open.end()) return FtsErrBadHandle;
        index = std::move(it->second);
        table.open.erase(it);
    }
    return guarded([&] { return index->Close(); });
}

int FtsAdd(int handle, const char* key) {
    return onIndex(handle, [&](fts::FtsIndex& index) { return index.Add(key); });
}

int FtsDelete(int handle, int recNo) {
    return onIndex(handle, [&](fts::FtsIndex& index) { return index.Delete(recNo); });
}

int FtsReplace(int handle, const char* key, int recNo) {
    return onIndex(handle, [&](fts::FtsIndex& index) { return index.Replace(key, recNo); });
}

int FtsSet(int handle, const char* text) {
    return onIndex(handle, [&](fts::FtsIndex& index) { return index.Set(text); });
}

int FtsNextRec(int handle) {
    return onIndex(handle, [&](fts::FtsIndex& index) { return index.NextRec(); });
}

int FtsNumRecs(int handle) {
    return onIndex(handle, [&](fts::FtsIndex& index) { return index.NumRecs(); });
}

int FtsVerify(int handle, const char* key, const char* text, int) {
    if (!find(handle)) return FtsErrBadHandle;
    if (!key || !text) return FtsErrBadArgument;
    return guarded([&] {
        if (!fts::HasWords(fts::UpperText(text))) return FtsErrBadArgument;
        return fts::KeySatisfies(key, text) ? 1 : 0;
    });
}
