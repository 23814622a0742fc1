#include "varnholt/vfs/zip_archive.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>
#include <vector>

#include "varnholt/console/console.h"
#include "varnholt/base/name_index.h"
#include "varnholt/base/limits.h"

namespace varnholt {

namespace {
class FileBytes : public PackBytes {
public:
    FileBytes(int fd, std::uint64_t size) : fd(fd), size_(size) {}
    ~FileBytes() override { ::close(fd); }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::uint64_t size() const override { return size_; }
    std::size_t read(std::uint64_t offset, void* into, std::size_t size) const override
    {
        std::size_t done = 0;
        while (done < size && offset + done < size_) {
            const ssize_t count = pread(fd, static_cast<char*>(into) + done, size - done,
                                        static_cast<off_t>(offset + done));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                break;
            done += static_cast<std::size_t>(count);
        }
        return done;
    }

private:
    int fd;
    std::uint64_t size_;
};

class MemoryBytes : public PackBytes {
public:
    explicit MemoryBytes(std::string bytes) : bytes(std::move(bytes)) {}

    std::uint64_t size() const override { return bytes.size(); }
    std::size_t read(std::uint64_t offset, void* into, std::size_t size) const override
    {
        if (offset >= bytes.size())
            return 0;
        const std::size_t count = std::min<std::uint64_t>(size, bytes.size() - offset);
        std::memcpy(into, bytes.data() + offset, count);
        return count;
    }

private:
    std::string bytes;
};

// minizip reads a central directory record a byte or two at a time: the
// cursor answers those from a window of the pack instead of one read each.
constexpr std::size_t window_size = 16384;

struct Cursor {
    explicit Cursor(const PackBytes& bytes) : bytes(bytes) {}

    const PackBytes& bytes;
    std::uint64_t position = 0;
    std::uint64_t window_start = 0;
    std::size_t window_length = 0;
    char window[window_size];
};

// The "file name" minizip hands to open is the pack's bytes.
voidpf cursor_open(voidpf, const void* bytes, int)
{
    return bytes ? new Cursor(*static_cast<const PackBytes*>(bytes)) : nullptr;
}

// minizip reads a central directory record a byte at a time: those reads
// (ten million for a large pack) take the inline path below, which costs
// no more than the copy; the rest come here.
[[gnu::noinline]] uLong cursor_read_more(Cursor& cursor, void* into, uLong size)
{
    // Unsigned: a position before the window is far beyond its length.
    const std::uint64_t at = cursor.position - cursor.window_start;
    std::size_t count;
    if (at + size <= cursor.window_length && at < cursor.window_length) {
        count = size;
        std::memcpy(into, cursor.window + at, size);
    } else if (size >= window_size) {
        count = cursor.bytes.read(cursor.position, into, size);
    } else {
        // minizip looks for the end records backwards from the end of the
        // pack: a window that ends where such a read ends serves the next.
        const bool backwards = cursor.position < cursor.window_start && cursor.position + size > window_size;
        cursor.window_start = backwards ? cursor.position + size - window_size : cursor.position;
        cursor.window_length = cursor.bytes.read(cursor.window_start, cursor.window, window_size);
        const std::size_t at_position = static_cast<std::size_t>(cursor.position - cursor.window_start);
        count = cursor.window_length > at_position ? std::min<std::size_t>(size, cursor.window_length - at_position) : 0;
        std::memcpy(into, cursor.window + at_position, count);
    }
    cursor.position += count;
    return static_cast<uLong>(count);
}

uLong cursor_read(voidpf, voidpf stream, void* into, uLong size)
{
    Cursor& cursor = *static_cast<Cursor*>(stream);
    const std::uint64_t at = cursor.position - cursor.window_start;
    if (size != 1 || at >= cursor.window_length)
        return cursor_read_more(cursor, into, size);
    *static_cast<char*>(into) = cursor.window[at];
    ++cursor.position;
    return 1;
}

uLong cursor_write(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T cursor_tell(voidpf, voidpf stream)
{
    return static_cast<Cursor*>(stream)->position;
}

long cursor_seek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    Cursor& cursor = *static_cast<Cursor*>(stream);
    const std::uint64_t base = origin == ZLIB_FILEFUNC_SEEK_SET ? 0
                             : origin == ZLIB_FILEFUNC_SEEK_CUR ? cursor.position
                                                                : cursor.bytes.size();
    if (offset > UINT64_MAX - base)
        return -1;
    cursor.position = base + offset;
    return 0;
}

int cursor_close(voidpf, voidpf stream)
{
    delete static_cast<Cursor*>(stream);
    return 0;
}

int cursor_error(voidpf, voidpf)
{
    return 0;
}

unzFile open_zip(const PackBytes& bytes)
{
    zlib_filefunc64_def functions{cursor_open, cursor_read, cursor_write, cursor_tell,
                                  cursor_seek, cursor_close, cursor_error, nullptr};
    return unzOpen2_64(&bytes, &functions);
}

struct ZipCloser {
    void operator()(void* zip) const { unzClose(zip); }
};
using ZipHandle = std::unique_ptr<void, ZipCloser>;

// A name that could reach outside the data directory, that no name typed
// would find (an empty part, as in "a//b"), or that the console could not
// show or type as it is.
bool unsafe_name(const char* name, std::size_t length)
{
    if (length == 0 || name[0] == '/' || name[length - 1] == '/' || std::strstr(name, "//")
        || vfs_name_climbs(name))
        return true;
    return std::any_of(name, name + length, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte == '\\' || byte < 0x20 || byte == 0x7f;
    });
}

bool same_start(const char* name, const std::string& start)
{
    for (std::size_t i = 0; i < start.size(); ++i) {
        if (!name[i] || !name_detail::same_character(name[i], start[i]))
            return false;
    }
    return true;
}

// Allocates the index of a large pack on huge pages where the system
// offers them: a fresh page costs a fault each, and the index of a pack of
// 100,000 entries would fault in 1,600 small pages while it is built.
template <typename T>
struct IndexAllocator {
    using value_type = T;
    static constexpr std::size_t huge_page = std::size_t{2} << 20;

    IndexAllocator() = default;
    template <typename U>
    IndexAllocator(const IndexAllocator<U>&) {}

    static std::size_t mapped_size(std::size_t bytes) { return (bytes + huge_page - 1) & ~(huge_page - 1); }

    T* allocate(std::size_t count)
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < huge_page)
            return std::allocator<T>().allocate(count);
        // Aligned to a huge page, as the kernel needs to use one.
        const std::size_t size = mapped_size(bytes);
        void* const mapped = mmap(nullptr, size + huge_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + huge_page - 1) & ~(huge_page - 1);
        if (aligned > start)
            munmap(mapped, aligned - start);
        if (aligned + size < start + size + huge_page)
            munmap(reinterpret_cast<void*>(aligned + size), start + size + huge_page - aligned - size);
        madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
        return reinterpret_cast<T*>(aligned);
    }
    void deallocate(T* pointer, std::size_t count)
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < huge_page)
            std::allocator<T>().deallocate(pointer, count);
        else
            munmap(pointer, mapped_size(bytes));
    }
    template <typename U>
    bool operator==(const IndexAllocator<U>&) const { return true; }
    template <typename U>
    bool operator!=(const IndexAllocator<U>&) const { return false; }
};

// The index and the bytes of one pack, shared by its mount and every stream
// still reading it: a search list built anew may drop the mount first.
class Pack {
public:
    struct Entry {
        std::uint64_t directory_offset;  // where minizip finds the entry
        std::uint32_t number : 31;       // its place in the central directory
        std::uint32_t folder : 1;
        std::uint32_t name_at;           // in `names`
    };

    Pack(std::unique_ptr<PackBytes> bytes, std::string path) : bytes(std::move(bytes)), path(std::move(path)) {}
    ~Pack()
    {
        for (void* zip : idle)
            unzClose(zip);
    }
    Pack(const Pack&) = delete;
    Pack& operator=(const Pack&) = delete;

    // A minizip handle on the pack for one stream; null when the pack
    // cannot be opened any more. Opening one reads the end of the pack
    // byte by byte, so handles are kept for the next stream.
    ZipHandle take_handle() const
    {
        if (idle.empty())
            return ZipHandle(open_zip(*bytes));
        ZipHandle zip(idle.back());
        idle.pop_back();
        return zip;
    }
    void give_back(ZipHandle zip) const
    {
        // As many as scripts that run each other from one pack need.
        if (zip && idle.size() < 8)
            idle.push_back(zip.release());
    }

    // Reads the central directory; false when it is no zip archive at all.
    bool build();

    // The entry called `name` (of `length` characters), or null.
    const Entry* find(const char* name, std::size_t length) const { return find(name_key(name, length)); }
    const char* name_of(const Entry& entry) const { return names.data() + entry.name_at; }
    std::size_t index_bytes() const
    {
        return entries.capacity() * sizeof(Entry) + table.capacity() * sizeof(table[0]) + names.capacity();
    }

    const std::unique_ptr<PackBytes> bytes;
    const std::string path;
    std::vector<Entry, IndexAllocator<Entry>> entries;
    long files = 0;

private:
    // A slot holds an entry's number in its low half and its name's hash,
    // folded to 32 bits, in its high half: a probe that meets another name
    // rarely has to look at the entry itself.
    static constexpr std::uint64_t empty_slot = UINT64_MAX;

    static std::uint32_t fold(std::size_t hash) { return static_cast<std::uint32_t>(hash ^ (hash >> 32)); }
    // Fibonacci hashing: the folded hash's low bits alone cluster for names
    // that differ only at their end.
    std::size_t first_slot(std::uint32_t hash) const { return (hash * 2654435769u) >> (32 - table_bits); }

    const Entry* find(const NameKey& key) const;
    // One central directory record as read, its name already in `names`.
    struct Record {
        std::uint64_t directory_offset;
        std::uint32_t number;
        bool folder;
        std::uint32_t name_at;
        std::size_t length;
        std::size_t hash;
        std::string refusal;  // why it is left out, if it is
    };
    Record parse(const char* name, std::size_t length, const unz_file_info64& info, const unz64_file_pos& place);
    // Indexes the records that are neither refused nor taken, and reports the others.
    void index(const Record* batch, std::size_t count);
    // Indexes the name at `name_at` in `names`.
    void add(std::uint32_t name_at, std::size_t hash, bool folder, std::uint64_t directory_offset,
             std::uint32_t number);
    // Adds the folders above the name of `length` characters at `name_at`
    // in `names` that are not there yet; or, when one of them is a file's
    // name, adds nothing and returns that file.
    const Entry* add_folders_above(std::uint32_t name_at, std::size_t length);
    void file(std::uint64_t slot_value);
    void report(const std::string& finding) const { console << "Pack \"" << path << "\": " << finding << std::endl; }

    std::basic_string<char, std::char_traits<char>, IndexAllocator<char>> names;  // every name, each with a zero after it
    std::vector<std::uint64_t, IndexAllocator<std::uint64_t>> table;  // 2 to the table_bits slots, at most half full
    int table_bits = 0;
    std::string last_folder;           // the folder of the entry added last
    mutable std::vector<void*> idle;   // handles no stream uses, owned
};

bool Pack::build()
{
    ZipHandle zip(open_zip(*bytes));
    unz_global_info64 global;
    if (!zip || unzGetGlobalInfo64(zip.get(), &global) != UNZ_OK) {
        report("not a readable zip file, not mounted");
        return false;
    }
    // Everything sized once (fresh pages cost more than the parsing): a
    // record takes 46 bytes at least, so a lying count reserves no more,
    // and most names are shorter than 32 characters.
    const auto expected = static_cast<std::size_t>(std::min<std::uint64_t>(global.number_entry, bytes->size() / 46));
    entries.reserve(expected);
    names.reserve(expected * 32);
    while ((std::size_t{1} << table_bits) < expected * 2 + 2)
        ++table_bits;
    table.assign(std::size_t{1} << table_bits, empty_slot);
    // Records are read a batch at a time, then indexed: each one's first
    // probe into the table is a cache miss, and with the parsing out of the
    // way the misses of a batch overlap instead of following each other.
    std::vector<char> buffer(65536 + 1);
    Record batch[64];
    std::size_t batched = 0;
    std::uint64_t read = 0;
    int status = unzGoToFirstFile(zip.get());
    for (;;) {
        const bool more = status == UNZ_OK && read < INT32_MAX;
        if (more) {
            unz_file_info64 info;
            unz64_file_pos place;
            if (unzGetCurrentFileInfo64(zip.get(), &info, buffer.data(), static_cast<uLong>(buffer.size()),
                                        nullptr, 0, nullptr, 0)
                    != UNZ_OK
                || unzGetFilePos64(zip.get(), &place) != UNZ_OK) {
                status = UNZ_BADZIPFILE;
                continue;
            }
            batch[batched++] = parse(buffer.data(), std::min<std::size_t>(info.size_filename, buffer.size() - 1),
                                     info, place);
            status = unzGoToNextFile(zip.get());
            ++read;
        }
        if (batched == std::size(batch) || (!more && batched > 0)) {
            index(batch, batched);
            batched = 0;
        }
        if (!more)
            break;
    }
    if (status != UNZ_END_OF_LIST_OF_FILE)
        report("central directory damaged after entry " + std::to_string(read) + " of "
               + std::to_string(global.number_entry) + ", the entries before it mounted");
    // A count that lied reserved too much.
    if (entries.capacity() > 2 * entries.size() + 64) {
        entries.shrink_to_fit();
        names.shrink_to_fit();
    }
    last_folder = std::string();
    give_back(std::move(zip));
    return true;
}

Pack::Record Pack::parse(const char* name, std::size_t length, const unz_file_info64& info,
                         const unz64_file_pos& place)
{
    const bool folder = length > 0 && name[length - 1] == '/';
    if (folder)
        --length;
    Record record{place.pos_in_zip_directory, static_cast<std::uint32_t>(place.num_of_file), folder,
                  static_cast<std::uint32_t>(names.size()), length, 0, {}};
    names.append(name, length).push_back('\0');
    record.refusal = unsafe_name(name, length) ? "unsafe name"
                   : folder                    ? ""
                   : info.flag & 1             ? "encrypted"
                   : info.compression_method != 0 && info.compression_method != Z_DEFLATED
                       ? "compression method " + std::to_string(info.compression_method)
                       : "";
    record.hash = name_key(name, length).hash;
    return record;
}

void Pack::index(const Record* batch, std::size_t count)
{
    constexpr std::size_t ahead = 8;
    const auto prefetch = [&](const Record& record) { __builtin_prefetch(&table[first_slot(fold(record.hash))]); };
    for (std::size_t i = 0; i < std::min(ahead, count); ++i)
        prefetch(batch[i]);
    for (std::size_t i = 0; i < count; ++i) {
        if (i + ahead < count)
            prefetch(batch[i + ahead]);
        const Record& record = batch[i];
        // Adding folders may move `names`: the name is found anew each time.
        const auto name = [&] { return std::string(names.data() + record.name_at, record.length); };
        if (!record.refusal.empty()) {
            report("entry \"" + name() + (record.folder ? "/" : "") + "\" left out: " + record.refusal);
            continue;
        }
        const Entry* same = find(NameKey{names.data() + record.name_at, record.length, record.hash});
        if (same && !(record.folder && same->folder))
            report("entry \"" + name() + "\" left out: the name of \"" + name_of(*same) + "\" too");
        else if (const Entry* file = same ? nullptr : add_folders_above(record.name_at, record.length))
            report("entry \"" + name() + "\" left out: its folder is the file \"" + name_of(*file) + "\"");
        else if (!same)
            add(record.name_at, record.hash, record.folder, record.directory_offset, record.number);
    }
}

void Pack::add(std::uint32_t name_at, std::size_t hash, bool folder, std::uint64_t directory_offset,
               std::uint32_t number)
{
    entries.push_back({directory_offset, number, folder, name_at});
    files += folder ? 0 : 1;
    if (entries.size() * 2 > table.size()) {
        ++table_bits;
        decltype(table) old(std::size_t{1} << table_bits, empty_slot);
        table.swap(old);
        for (const std::uint64_t slot_value : old) {
            if (slot_value != empty_slot)
                file(slot_value);
        }
    }
    file(std::uint64_t{fold(hash)} << 32 | (entries.size() - 1));
}

const Pack::Entry* Pack::add_folders_above(std::uint32_t name_at, std::size_t length)
{
    const auto parent = [](const char* name, std::size_t end) {
        const char* const slash = static_cast<const char*>(memrchr(name, '/', end));
        return slash ? static_cast<std::size_t>(slash - name) : 0;
    };
    const std::size_t folder_length = parent(names.data() + name_at, length);
    // Entries come folder by folder: the one before mostly had the same.
    if (folder_length == 0 || last_folder.compare(0, std::string::npos, names.data() + name_at, folder_length) == 0)
        return nullptr;
    // The folders' names join `names`, which may move.
    const std::string folder(names, name_at, folder_length);
    // The deepest folder there already: those above it are there too.
    std::size_t there = 0;
    for (std::size_t end = folder_length; end > 0 && there == 0; end = parent(folder.data(), end)) {
        if (const Entry* entry = find(name_key(folder.data(), end))) {
            if (!entry->folder)
                return entry;
            there = end;
        }
    }
    for (std::size_t end = folder_length; end > there; end = parent(folder.data(), end)) {
        const auto at = static_cast<std::uint32_t>(names.size());
        names.append(folder, 0, end).push_back('\0');
        add(at, name_key(folder.data(), end).hash, true, 0, 0);
    }
    last_folder = folder;
    return nullptr;
}

void Pack::file(std::uint64_t slot_value)
{
    const std::size_t mask = table.size() - 1;
    std::size_t slot = first_slot(static_cast<std::uint32_t>(slot_value >> 32));
    while (table[slot] != empty_slot)
        slot = (slot + 1) & mask;
    table[slot] = slot_value;
}

const Pack::Entry* Pack::find(const NameKey& key) const
{
    if (table.empty())
        return nullptr;
    const std::uint32_t hash = fold(key.hash);
    const std::size_t mask = table.size() - 1;
    for (std::size_t slot = first_slot(hash); table[slot] != empty_slot; slot = (slot + 1) & mask) {
        if (table[slot] >> 32 != hash)
            continue;
        const Entry& entry = entries[static_cast<std::uint32_t>(table[slot])];
        if (same_name(name_of(entry), key))
            return &entry;
    }
    return nullptr;
}

// Whether two states of a file are of one file, unchanged.
bool same_file(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Reads one entry in pieces. The last pack_chunk_size bytes of an entry (all of
// a short one) are checked before any of them is given out, so a short
// script whose CRC is wrong runs none of its lines; a request far from the
// end skips the piece and reads straight into the caller's memory.
class EntryBuffer : public std::streambuf {
public:
    EntryBuffer(std::shared_ptr<const Pack> pack, ZipHandle zip, std::string name, const unz_file_info64& info)
        : pack(std::move(pack)), zip(std::move(zip)), name(std::move(name)), left(info.uncompressed_size),
          expected_crc(info.crc),
          capacity(static_cast<std::size_t>(std::clamp<std::uint64_t>(left, 1, pack_chunk_size))),
          piece(new char[capacity])
    {
        // minizip copies stored data a byte at a time: such an entry is read
        // from where minizip found its data.
        if (info.compression_method == 0)
            stored_at = unzGetCurrentFileZStreamPos64(this->zip.get());
    }
    ~EntryBuffer() override
    {
        unzCloseCurrentFile(zip.get());
        pack->give_back(std::move(zip));
    }
    EntryBuffer(const EntryBuffer&) = delete;
    EntryBuffer& operator=(const EntryBuffer&) = delete;

protected:
    int_type underflow() override;
    std::streamsize xsgetn(char* into, std::streamsize size) override;
    // What the entry holds beyond the piece at hand; -1 once it is all read.
    std::streamsize showmanyc() override
    {
        return left > 0 && !failed ? static_cast<std::streamsize>(std::min<std::uint64_t>(left, INT64_MAX)) : -1;
    }

private:
    static constexpr std::uint64_t not_stored = UINT64_MAX;

    // Reads the next `size` bytes of the entry, no more than are left, and
    // checks the CRC after the last; false (after one line) on damage.
    bool read(char* into, std::size_t size);
    void damaged(const char* finding);

    std::shared_ptr<const Pack> pack;
    ZipHandle zip;
    std::string name;
    std::uint64_t left;  // bytes of the entry not read yet
    uLong expected_crc;
    std::size_t capacity;
    std::unique_ptr<char[]> piece;
    std::uint64_t stored_at = not_stored;  // a stored entry's next byte in the pack
    uLong crc = 0;                         // of a stored entry's bytes so far
    bool failed = false;
};

bool EntryBuffer::read(char* into, std::size_t size)
{
    if (stored_at != not_stored) {
        const std::size_t got = pack->bytes->read(stored_at, into, size);
        stored_at += got;
        crc = crc32_z(crc, reinterpret_cast<const Bytef*>(into), got);
        if (got < size) {
            damaged("shorter than its size");
            return false;
        }
    } else {
        for (std::size_t got = 0; got < size;) {
            const auto part = static_cast<unsigned>(std::min<std::size_t>(size - got, UINT_MAX));
            const int count = unzReadCurrentFile(zip.get(), into + got, part);
            if (count <= 0) {
                damaged(count < 0 ? "bad compressed data" : "shorter than its size");
                return false;
            }
            got += static_cast<std::size_t>(count);
        }
    }
    left -= size;
    const bool sound = left > 0 || (stored_at != not_stored ? crc == expected_crc : unzCloseCurrentFile(zip.get()) == UNZ_OK);
    if (!sound)
        damaged("CRC mismatch");
    return sound;
}

EntryBuffer::int_type EntryBuffer::underflow()
{
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(left, capacity));
    if (failed || size == 0 || !read(piece.get(), size))
        return traits_type::eof();
    setg(piece.get(), piece.get(), piece.get() + size);
    return traits_type::to_int_type(piece[0]);
}

std::streamsize EntryBuffer::xsgetn(char* into, std::streamsize size)
{
    std::streamsize done = 0;
    while (done < size) {
        const std::streamsize ready = std::min<std::streamsize>(egptr() - gptr(), size - done);
        if (ready > 0) {
            std::memcpy(into + done, gptr(), static_cast<std::size_t>(ready));
            gbump(static_cast<int>(ready));
            done += ready;
            continue;
        }
        const std::uint64_t direct
            = left > capacity ? std::min<std::uint64_t>(static_cast<std::uint64_t>(size - done), left - capacity) : 0;
        if (direct >= 4096 && !failed) {
            if (!read(into + done, static_cast<std::size_t>(direct)))
                break;
            done += static_cast<std::streamsize>(direct);
        } else if (traits_type::eq_int_type(underflow(), traits_type::eof())) {
            break;
        }
    }
    return done;
}

void EntryBuffer::damaged(const char* finding)
{
    failed = true;
    console << "Pack \"" << pack->path << "\": entry \"" << name << "\" damaged: " << finding << std::endl;
}

class PackMount : public VFS_Mount {
public:
    PackMount(std::shared_ptr<const Pack> pack, const struct stat& identity)
        : VFS_Mount(pack->path), pack(std::move(pack)), identity(identity)
    {
    }

    long file_count() const override { return pack->files; }

    Kind kind(const char* name) const override
    {
        const Pack::Entry* entry = pack->find(name, std::strlen(name));
        return !entry ? Kind::none : entry->folder ? Kind::folder : Kind::file;
    }

    std::unique_ptr<std::streambuf> open(const char* name) const override;

    void list(const std::string& folder, bool recursive, const Visitor& visit) const override
    {
        for (const Pack::Entry& entry : pack->entries) {
            const char* name = pack->name_of(entry);
            if (!same_start(name, folder))
                continue;
            const char* rest = name + folder.size();
            const bool hidden = rest[0] == '.' || std::strstr(rest, "/.");
            if (*rest && (recursive ? !hidden : !std::strchr(rest, '/')))
                visit(name, entry.folder);
        }
    }

    // Whether the file `status` describes is the one mounted.
    bool same_file(const struct stat& status) const { return varnholt::same_file(status, identity); }
    std::size_t index_bytes() const { return pack->index_bytes(); }

private:
    std::shared_ptr<const Pack> pack;
    struct stat identity;
};

std::unique_ptr<std::streambuf> PackMount::open(const char* name) const
{
    const Pack::Entry* entry = pack->find(name, std::strlen(name));
    if (!entry || entry->folder)
        return nullptr;
    ZipHandle zip = pack->take_handle();
    const unz64_file_pos place{entry->directory_offset, entry->number};
    unz_file_info64 info;
    if (!zip || unzGoToFilePos64(zip.get(), &place) != UNZ_OK
        || unzGetCurrentFileInfo64(zip.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK
        || unzOpenCurrentFile(zip.get()) != UNZ_OK) {
        console << "Pack \"" << path() << "\": entry \"" << pack->name_of(*entry)
                << "\" damaged: its header cannot be read" << std::endl;
        return nullptr;
    }
    return std::make_unique<EntryBuffer>(pack, std::move(zip), pack->name_of(*entry), info);
}

bool is_pack_name(const std::string& name)
{
    static const std::string extension = ".zip";
    return name.size() > extension.size()
        && same_start(name.c_str() + name.size() - extension.size(), extension);
}

// Ignoring ASCII case, then as bytes.
bool sorts_before(const std::string& a, const std::string& b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const auto differs = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                       [&](char x, char y) { return lower(x) == lower(y); });
    if (differs.first == a.end() || differs.second == b.end())
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    return static_cast<unsigned char>(lower(*differs.first)) < static_cast<unsigned char>(lower(*differs.second));
}

std::shared_ptr<VFS_Mount> mount_pack(std::unique_ptr<PackBytes> bytes, const std::string& path,
                                      const struct stat& identity)
{
    auto pack = std::make_shared<Pack>(std::move(bytes), path);
    if (!pack->build())
        return nullptr;
    return std::make_shared<PackMount>(std::move(pack), identity);
}
}

std::unique_ptr<PackBytes> pack_file_bytes(const std::string& path)
{
    // O_NONBLOCK: a named pipe called "x.zip" must not hold the start up.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat status;
    if (fd < 0)
        return nullptr;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileBytes>(fd, static_cast<std::uint64_t>(status.st_size));
}

std::unique_ptr<PackBytes> pack_memory_bytes(std::string bytes)
{
    return std::make_unique<MemoryBytes>(std::move(bytes));
}

std::shared_ptr<VFS_Mount> vfs_mount_pack(std::unique_ptr<PackBytes> bytes, const std::string& path)
{
    return mount_pack(std::move(bytes), path, {});
}

std::size_t vfs_pack_index_bytes(const VFS_Mount& mount)
{
    const auto* pack = dynamic_cast<const PackMount*>(&mount);
    return pack ? pack->index_bytes() : 0;
}

VFS_ZipArchive::VFS_ZipArchive() : VFS_BaseArchive("provides access to zip packs")
{
}

void VFS_ZipArchive::mount(const std::string& directory, const VFS_MountList& previous, VFS_MountList& mounts)
{
    std::vector<std::string> packs;
    if (DIR* listing = opendir(directory.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            if (is_pack_name(entry->d_name))
                packs.emplace_back(entry->d_name);
        }
        closedir(listing);
    }
    std::sort(packs.begin(), packs.end(), [](const std::string& a, const std::string& b) { return sorts_before(b, a); });
    for (const std::string& name : packs) {
        const std::string path = directory + '/' + name;
        struct stat status;
        if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
            continue;
        const auto kept = std::find_if(previous.begin(), previous.end(), [&](const std::shared_ptr<VFS_Mount>& mount) {
            const auto* pack = dynamic_cast<const PackMount*>(mount.get());
            return pack && pack->path() == path && pack->same_file(status);
        });
        if (kept != previous.end()) {
            mounts.push_back(*kept);
            continue;
        }
        const auto known = std::find_if(refused.begin(), refused.end(), [&](const auto& pack) {
            return pack.first == path && same_file(pack.second, status);
        });
        if (known != refused.end())
            continue;
        auto bytes = pack_file_bytes(path);
        if (!bytes)
            console << "Pack \"" << path << "\": cannot be opened, not mounted" << std::endl;
        auto mount = bytes ? mount_pack(std::move(bytes), path, status) : nullptr;
        if (mount)
            mounts.push_back(std::move(mount));
        else
            refused.emplace_back(path, status);
    }
}

}  // namespace varnholt
