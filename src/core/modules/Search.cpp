#include "core/modules/Search.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>

#include "core/pure/rules.h"
#include "platform/folders.h"
#include "platform/paths.h"

namespace sarvo {

namespace {

void AppendSeparator(std::string& path) {
    if (path.empty() || path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
}

struct IdentityHash {
    std::size_t operator()(const platform::FolderIdentity& id) const {
        return std::hash<std::uint64_t>()(id.index * 0x9E3779B97F4A7C15ull ^ id.volume);
    }
};

constexpr int kUnreadable = -1;

// Written out: find_first_of calls memchr once for every letter of the name.
bool HasLineBreak(const std::string& name) {
    for (const char c : name)
        if (c == '\r' || c == '\n') return true;
    return false;
}

// One folder's listing, shared by every path that leads to it (a link).
struct Listed {
    std::vector<std::string> pictures;    // picture names, in listing order
    std::vector<std::string> subFolders;  // sub-folder names, in listing order
    std::vector<int> children;            // the listing of each sub-folder, or kUnreadable
};

// A folder still to be listed, and the slot of its parent's listing that
// learns which listing it is.
struct Job {
    std::string listPath;  // with a trailing separator
    int parent;            // -1 for the root
    std::size_t slot;
};

// Lists every folder of the tree once, on several threads: the listings of
// sibling folders overlap, so a cold disk is kept busy and both cores work.
// Folders are told apart by identity, so a link back into the tree is listed
// no second time and a loop of links ends. The order of the walk is not
// decided here: SearchFolders takes it from the listings afterwards.
class ParallelLister {
public:
    ParallelLister(std::string rootPath, PictureFormats formats) : formats_(formats) {
        jobs_.push_back({std::move(rootPath), -1, 0});
    }

    // Lists the root on this thread, then, when it has sub-folders to
    // share, the rest on `threads` threads: a folder of pictures alone
    // starts no thread. Threads the system will not start are done without
    // (this thread alone lists the whole tree if need be). A failure on any
    // thread (no memory for a listing) ends the walk on every thread and is
    // raised here, once all have stopped: never on a thread of its own,
    // where it would end the program without a word.
    void Run(unsigned threads) {
        platform::FolderListing listing;
        std::unique_lock lock(mutex_);
        ListNext(lock, listing);
        const bool more = !jobs_.empty();
        lock.unlock();
        if (!more) return;
        std::vector<std::thread> helpers;
        try {
            for (unsigned i = 1; i < threads; ++i) helpers.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
        }
        Work();
        for (std::thread& t : helpers) t.join();
        if (failure_) std::rethrow_exception(failure_);
    }

    int root() const { return root_; }
    std::deque<Listed>& listings() { return listings_; }

private:
    void Work() {
        platform::FolderListing listing;
        std::unique_lock lock(mutex_, std::defer_lock);
        try {
            lock.lock();
            for (;;) {
                wake_.wait(lock, [this] { return failure_ || !jobs_.empty() || busy_ == 0; });
                // Nothing queued and nobody listing: the tree is done.
                if (failure_ || jobs_.empty()) return;
                ListNext(lock, listing);
            }
        } catch (...) {
            if (!lock.owns_lock()) lock.lock();
            if (!failure_) failure_ = std::current_exception();
            wake_.notify_all();
        }
    }

    // Lists the folder on top of the stack into `listing`; `lock` is held on
    // entry and on return, and let go while the folder is read.
    void ListNext(std::unique_lock<std::mutex>& lock, platform::FolderListing& listing) {
        Job job = std::move(jobs_.back());
        jobs_.pop_back();
        ++busy_;
        lock.unlock();
        const bool read = platform::ListFolder(job.listPath, listing);
        lock.lock();
        int index = kUnreadable;
        bool fresh = false;
        if (read) {
            const auto [at, inserted] = byIdentity_.try_emplace(listing.identity, static_cast<int>(listings_.size()));
            if (inserted) listings_.emplace_back();
            index = at->second;
            fresh = inserted;
        }
        if (job.parent < 0) root_ = index;
        else listings_[static_cast<std::size_t>(job.parent)].children[job.slot] = index;
        if (fresh) {
            // Sorted out of the lock; no other thread touches a listing
            // before its sub-folders are queued.
            Listed& listed = listings_[static_cast<std::size_t>(index)];
            lock.unlock();
            Sort(listing, listed);
            lock.lock();
            listed.children.assign(listed.subFolders.size(), kUnreadable);
            for (std::size_t i = listed.subFolders.size(); i-- > 0;)
                jobs_.push_back({job.listPath + listed.subFolders[i] + platform::kPathSeparator, index, i});
        }
        --busy_;
        wake_.notify_all();
    }

    void Sort(platform::FolderListing& listing, Listed& listed) const {
        for (platform::FolderEntry& e : listing.entries) {
            // A path with a line break could never be recorded in the
            // settings file, so nothing under such a name is offered.
            if (HasLineBreak(e.name)) continue;
            if (e.isFolder) listed.subFolders.push_back(std::move(e.name));
            else if (IsPictureFileName(e.name, formats_)) listed.pictures.push_back(std::move(e.name));
        }
    }

    const PictureFormats formats_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Job> jobs_;  // taken from the back: depth first, as the walk goes
    unsigned busy_ = 0;
    std::exception_ptr failure_;  // the first failure of any thread; the walk then ends
    std::deque<Listed> listings_;  // stays in place as it grows
    std::unordered_map<platform::FolderIdentity, int, IdentityHash> byIdentity_;
    int root_ = kUnreadable;
};

// How many folders are listed at once: one a core, and at least two, so
// that one listing's wait for the disk overlaps another; more than eight
// would only queue at the disk and the lock.
unsigned ListingThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 2u, 8u);
}

}  // namespace

void SearchFolders(std::string& path, FolderWalk& walk, PictureFormats formats) {
    const std::string rootEntry = walk.folders.empty() ? path : walk.folders.front();
    AppendSeparator(path);
    walk = FolderWalk{{rootEntry}, {}, {0}};

    ParallelLister lister(path, formats);
    lister.Run(ListingThreads());
    std::deque<Listed>& listings = lister.listings();

    // The walk itself, in its order: the root, then sub-folders depth first
    // in listing order, a folder entered only the first time it is met. An
    // explicit stack, not recursion, so that a deep tree cannot exhaust the
    // call stack; children are pushed in reverse so that they come off in
    // listing order.
    struct Pending {
        int listing;
        std::string entry;     // the text it stands under in `folders`
        std::string listPath;  // with a trailing separator
    };
    std::size_t pictures = 0;
    for (const Listed& listed : listings) pictures += listed.pictures.size();
    walk.pictureNames.reserve(pictures);
    std::vector<bool> entered(listings.size(), false);
    std::vector<Pending> stack;
    stack.push_back({lister.root(), {}, path});
    bool root = true;
    while (!stack.empty()) {
        Pending folder = std::move(stack.back());
        stack.pop_back();
        const bool isRoot = root;
        root = false;
        // Unreadable folders are kept out of the walk, except the root, which
        // the caller has already placed; so is a link back onto the walk.
        if (folder.listing == kUnreadable || entered[static_cast<std::size_t>(folder.listing)]) continue;
        entered[static_cast<std::size_t>(folder.listing)] = true;
        Listed& listed = listings[static_cast<std::size_t>(folder.listing)];
        if (!isRoot) {
            walk.folders.push_back(std::move(folder.entry));
            walk.firstPicture.push_back(walk.pictureNames.size());
        }
        for (std::string& name : listed.pictures) walk.pictureNames.push_back(std::move(name));
        for (std::size_t i = listed.subFolders.size(); i-- > 0;) {
            std::string entry;
            entry.reserve(folder.listPath.size() + listed.subFolders[i].size() + 1);
            entry.append(folder.listPath).append(listed.subFolders[i]);
            std::string listPath = entry + platform::kPathSeparator;
            stack.push_back({listed.children[i], std::move(entry), std::move(listPath)});
        }
    }
    walk.firstPicture.push_back(walk.pictureNames.size());
}

void SearchFiles(const FolderWalk& walk, std::vector<std::string>& files) {
    files.reserve(files.size() + walk.pictureNames.size());
    for (std::size_t i = 0; i < walk.folders.size(); ++i) {
        std::string folder = walk.folders[i];
        AppendSeparator(folder);
        for (std::size_t p = walk.firstPicture[i]; p < walk.firstPicture[i + 1]; ++p) {
            // Sized once: `folder + name` would allocate twice for a long path.
            std::string& path = files.emplace_back();
            path.reserve(folder.size() + walk.pictureNames[p].size());
            path.append(folder).append(walk.pictureNames[p]);
        }
    }
}

}  // namespace sarvo
