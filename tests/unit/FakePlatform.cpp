#include "tests/unit/FakePlatform.h"

#include <algorithm>
#include <cstring>

namespace falvori::test {

namespace {

class FakeFile : public Intermediate {
public:
    FakeFile(FakePlatform& platform, std::string path)
        : platform_(platform), path_(std::move(path)) {
        ++platform_.openFiles;
    }
    ~FakeFile() override {
        if (open_) --platform_.openFiles;
    }

    IoResult Read(void* buffer, std::size_t size) override {
        if (platform_.FailNow(Step::Read)) return {0, kInjected};
        const std::string& data = platform_.files[path_].data;
        std::size_t n = std::min(size, data.size() - pos_);
        if (platform_.readChunk) n = std::min(n, platform_.readChunk);
        std::memcpy(buffer, data.data() + pos_, n);
        pos_ += n;
        return {n, {}};
    }

    IoResult Write(const void* data, std::size_t size) override {
        // A failing write gets half of its bytes out first, like a full disk.
        const bool fail = platform_.FailNow(Step::Write);
        const std::size_t n = fail ? size / 2 : size;
        platform_.files[path_].data.append(static_cast<const char*>(data), n);
        return {n, fail ? kInjected : Failure{}};
    }

    Failure Close() override {
        if (open_) --platform_.openFiles;
        open_ = false;
        return platform_.FailNow(Step::Close) ? kInjected : Failure{};
    }

    Failure PlaceAt(const std::string& to) override {
        ++platform_.fileOperations;
        if (platform_.FailNow(Step::Copy)) return kInjected;
        auto target = platform_.files.find(to);
        if (target != platform_.files.end() && target->second.readOnly) return kInjected;
        platform_.files[to] = FakeEntry{platform_.files[path_].data};
        return {};
    }

    Failure Settle() override { return platform_.FailNow(Step::Settle) ? kInjected : Failure{}; }

    Failure Discard() override {
        ++platform_.fileOperations;
        if (platform_.FailNow(Step::Delete)) return kInjected;
        platform_.files.erase(path_);
        return {};
    }

private:
    FakePlatform& platform_;
    std::string path_;
    std::size_t pos_ = 0;
    bool open_ = true;
};

}  // namespace

std::string FakePlatform::EnvironmentVariable(const std::string& name) {
    auto it = environment.find(name);
    return it == environment.end() ? "" : it->second;
}

bool FakePlatform::FailNow(Step step) {
    if (auto ok = succeedFirst.find(step); ok != succeedFirst.end() && ok->second > 0) {
        --ok->second;
        return false;
    }
    auto it = failuresLeft.find(step);
    if (it == failuresLeft.end() || it->second == 0) return false;
    --it->second;
    return true;
}

Result<std::unique_ptr<File>> FakePlatform::OpenForReading(const std::string& path) {
    ++fileOperations;
    if (FailNow(Step::Open)) return {nullptr, kInjected};
    auto it = files.find(path);
    if (it == files.end() || it->second.folder) return {nullptr, kNotFound};
    return {std::make_unique<FakeFile>(*this, path), {}};
}

Result<std::unique_ptr<Intermediate>> FakePlatform::CreateIntermediate(const std::string& path) {
    ++fileOperations;
    if (FailNow(Step::Create)) return {nullptr, kInjected};
    files[path].data.clear();
    return {std::make_unique<FakeFile>(*this, path), {}};
}

Result<bool> FakePlatform::FileExists(const std::string& path) {
    ++fileOperations;
    if (FailNow(Step::Exists)) return {false, kInjected};
    auto it = files.find(path);
    return {it != files.end() && !it->second.folder && !it->second.hidden, {}};
}

Result<std::unique_ptr<File>> FakePlatform::OpenOutputStream(const std::string&, const File&) {
    return {std::make_unique<FakeFile>(*this, kStandardOutput), {}};
}

}  // namespace falvori::test
