#include "engine/Dataset.h"

#include "engine/qelisam.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qel::engine {

namespace {

// Marks a SQLite file as one of our datasets ("QELI" in the header's
// application id), so foreign SQLite files are told apart without reading
// any table.
constexpr int ApplicationId = 0x51454C49;
constexpr int FormatVersion = 1;
constexpr int BusyTimeoutMs = 5000;
const char* const MetaTable = "qelisam_meta";
// Rollback journal only: WAL needs shared memory, which network shares lack.
// Every commit is synced before the call returns.
const char* const ConnectionPragmas =
    "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA locking_mode=NORMAL;";
// The same in two halves for an open: the settings that touch no file (and may
// not change inside a transaction) first, the journal mode inside the check's
// read transaction, so that opening locks the file only once.
const char* const SessionPragmas = "PRAGMA synchronous=FULL; PRAGMA locking_mode=NORMAL;";
const char* const JournalPragma = "PRAGMA journal_mode=DELETE;";

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// This computer's name as it goes into the names of files being built: its
// letters, digits and dots only, so that "-" separates the parts.
std::string ThisHost() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return "host";
    std::string host;
    for (const char* c = name; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c)) || *c == '.')
            host += *c;
    return host.empty() ? "host" : host;
}

// The name a create builds the dataset `path` under before giving it its
// own: path.new-HOST-PID-N, and SQLite's journal of it with "-journal".
std::string BuildName(const std::string& path, unsigned number) {
    return path + ".new-" + ThisHost() + "-" + std::to_string(::getpid()) + "-" + std::to_string(number);
}

// The process a build file of this computer's named `rest` ("PID-N" or
// "PID-N-journal") belongs to; 0 when `rest` is not of that form. A dataset
// the record classes build complete before linking it into place is itself
// named so ("PID-N.isd", its journal and its own build files follow).
pid_t BuilderOf(const std::string& rest) {
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos)
        return 0;
    std::string number = rest.substr(dash + 1);
    if (number.size() > 8 && number.compare(number.size() - 8, 8, "-journal") == 0)
        number.resize(number.size() - 8);
    if (const size_t dot = number.find(".isd"); dot != std::string::npos)
        number.resize(dot);
    for (const std::string& digits : {rest.substr(0, dash), number})
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            return 0;
    return static_cast<pid_t>(std::stol(rest.substr(0, dash)));
}

// Removes what creates of `path` killed on this computer left: build files
// whose process is gone. Those of live processes, and of other computers,
// whose processes cannot be seen from here, are left alone.
void RemoveLeftovers(const std::string& folder, const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string prefix =
        (slash == std::string::npos ? path : path.substr(slash + 1)) + ".new-" + ThisHost() + "-";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const pid_t pid = BuilderOf(name.substr(prefix.size()));
        if (pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH)
            ::unlink((folder + "/" + name).c_str());
    }
    ::closedir(dir);
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int16_t ErrnoCode(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return ISM_DISK_FULL;
    case ENOMEM:
        return ISM_NO_MEMORY;
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ESTALE:
        return ISM_FOLDER;
    default:
        return ISM_IO;
    }
}

// Gives `temp` the name `path` unless `path` exists, without ever replacing it.
int16_t LinkNoReplace(const std::string& temp, const std::string& path) {
    if (::link(temp.c_str(), path.c_str()) == 0) {
        ::unlink(temp.c_str());
        return ISM_OK;
    }
    if (errno == EEXIST)
        return ISM_EXISTS;
    // Some shares have no hard links; renaming without replacing does the same.
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return ISM_OK;
    if (errno == EEXIST)
        return ISM_EXISTS;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return ErrnoCode(errno);
    // Neither is available: a test then a rename, which leaves a tiny window.
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0)
        return ISM_EXISTS;
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return ErrnoCode(errno);
    return ISM_OK;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int OpenConnection(const std::string& path, sqlite3** db) {
    const int rc = sqlite3_open_v2(path.c_str(), db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(*db);
        *db = nullptr;
        return rc;
    }
    sqlite3_extended_result_codes(*db, 1);
    sqlite3_busy_timeout(*db, BusyTimeoutMs);
    return SQLITE_OK;
}

// Records up to this size are stored in the key's own b-tree (clustered by
// key), which makes key-order scans cheapest. Larger ones go into a rowid
// table: a clustered b-tree keeps whole rows in its interior pages, so with
// big records it grows deep and every read through a secondary index pays a
// long descent (about a twentieth of a page is the usual limit).
constexpr size_t ClusteredRecordLimit = 200;

// One table of records, with one column and one index on (value, key) per
// "X" field.
std::string SchemaSql(const TFieldLayout& layout) {
    std::string sql = "CREATE TABLE records(key TEXT PRIMARY KEY NOT NULL, data BLOB NOT NULL";
    for (int position = 1; position <= layout.FieldCount(); ++position)
        if (layout.IsIndex(position))
            sql += ", f" + std::to_string(position) + " BLOB NOT NULL";
    sql += layout.RecordSize() <= ClusteredRecordLimit ? ") WITHOUT ROWID;" : ");";
    for (int position = 1; position <= layout.FieldCount(); ++position)
        if (layout.IsIndex(position)) {
            const std::string column = "f" + std::to_string(position);
            sql += "CREATE INDEX records_" + column + " ON records(" + column + ", key);";
        }
    return sql;
}

// Builds the schema in the fresh, empty file `temp`.
int16_t BuildDataset(const std::string& temp, int keyLength, const TFieldLayout& layout,
                     const std::string& layoutText) {
    sqlite3* db = nullptr;
    int rc = OpenConnection(temp, &db);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        return EngineCode(rc);
    }
    const std::string sql =
        std::string(ConnectionPragmas) + "BEGIN IMMEDIATE; PRAGMA application_id=" + std::to_string(ApplicationId) +
        "; CREATE TABLE " + MetaTable +
        "(format INTEGER NOT NULL, key_length INTEGER NOT NULL, layout TEXT NOT NULL);" + SchemaSql(layout);
    rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_stmt* insert = nullptr;
        const std::string insertSql = std::string("INSERT INTO ") + MetaTable + " VALUES(?1, ?2, ?3)";
        rc = sqlite3_prepare_v2(db, insertSql.c_str(), -1, &insert, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_int(insert, 1, FormatVersion);
            sqlite3_bind_int(insert, 2, keyLength);
            sqlite3_bind_text(insert, 3, layoutText.data(), static_cast<int>(layoutText.size()), SQLITE_TRANSIENT);
            rc = sqlite3_step(insert);
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
        sqlite3_finalize(insert);
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && !sqlite3_get_autocommit(db))
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    const int closeRc = sqlite3_close(db);
    if (rc == SQLITE_OK)
        rc = closeRc;
    return EngineCode(rc);
}

// Sortable bytes of a 16-bit integer: big-endian with the sign bit flipped.
std::string IntKey(int16_t value) {
    const auto bits = static_cast<uint16_t>(static_cast<uint16_t>(value) ^ 0x8000u);
    return std::string{static_cast<char>(bits >> 8), static_cast<char>(bits & 0xFF)};
}

// The bytes of a column of the current row; empty for NULL.
std::string ColumnBytes(sqlite3_stmt* statement, int column) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
    const auto size = static_cast<size_t>(sqlite3_column_bytes(statement, column));
    return bytes ? std::string(bytes, size) : std::string();
}

} // namespace

int16_t EngineCode(int sqliteCode) {
    switch (sqliteCode) {
    case SQLITE_IOERR_NOMEM:
        return ISM_NO_MEMORY;
    case SQLITE_READONLY_ROLLBACK:
    case SQLITE_READONLY_RECOVERY:
        // A journal left by a crashed writer that we may not roll back.
        return ISM_IO;
    default:
        break;
    }
    switch (sqliteCode & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return ISM_OK;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL:
        return ISM_BUSY;
    case SQLITE_CONSTRAINT:
        return ISM_DUPLICATE;
    case SQLITE_FULL:
        return ISM_DISK_FULL;
    case SQLITE_NOMEM:
        return ISM_NO_MEMORY;
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ISM_FOLDER;
    case SQLITE_NOTADB:
        return ISM_NOT_ISAM;
    case SQLITE_CORRUPT:
    // Our statements are fixed, so one that fails to compile or run found a
    // schema that is not the one we made.
    case SQLITE_ERROR:
    case SQLITE_SCHEMA:
    case SQLITE_FORMAT:
    case SQLITE_MISMATCH:
        return ISM_CORRUPT;
    case SQLITE_RANGE:
    case SQLITE_MISUSE:
    case SQLITE_TOOBIG:
        return ISM_BAD_PARAMETER;
    default:
        return ISM_IO;
    }
}

int16_t CreateDataset(const std::string& path, int keyLength, const TFieldLayout& layout,
                      const std::string& layoutText) {
    const std::string folder = FolderOf(path);
    if (!IsFolder(folder))
        return ISM_FOLDER;
    RemoveLeftovers(folder, path);
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0)
        return ISM_EXISTS;

    // Build under a private name, then give it the real name only if that is
    // still free: an existing dataset is never opened, let alone changed.
    std::string temp;
    int fd = -1;
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = BuildName(path, ++counter);
        fd = ::open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return ErrnoCode(errno);
    }
    if (fd < 0)
        return ISM_IO;
    ::close(fd);

    int16_t code = BuildDataset(temp, keyLength, layout, layoutText);
    if (code == ISM_OK)
        code = LinkNoReplace(temp, path);
    if (code == ISM_OK)
        SyncFolder(folder);
    ::unlink(temp.c_str());
    ::unlink((temp + "-journal").c_str());
    return code;
}

TDataset::TDataset(sqlite3* db, std::string path, TFieldLayout layout, int keyLength)
    : FDb(db), FPath(std::move(path)), FLayout(std::move(layout)), FKeyLength(keyLength) {}

int16_t TDataset::Open(const std::string& path, std::unique_ptr<TDataset>* dataset) {
    dataset->reset();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return IsFolder(FolderOf(path)) ? ISM_NOT_FOUND : ISM_FOLDER;
        return ErrnoCode(errno);
    }
    if (!S_ISREG(info.st_mode))
        return ISM_NOT_ISAM;
    RemoveLeftovers(FolderOf(path), path);

    sqlite3* db = nullptr;
    const int rc = OpenConnection(path, &db);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        return EngineCode(rc);
    }
    // The layout is filled in by Verify; an empty one until then.
    std::unique_ptr<TDataset> opened(new TDataset(db, path, TFieldLayout(), 0));
    const int16_t code = opened->Verify();
    if (code != ISM_OK)
        return code;
    *dataset = std::move(opened);
    return ISM_OK;
}

// Reads and checks the dataset's description in one read transaction.
int16_t TDataset::Verify() {
    int16_t code = Prepare("BEGIN", &FBegin);
    if (code == ISM_OK)
        code = Prepare("BEGIN IMMEDIATE", &FBeginWrite);
    if (code == ISM_OK)
        code = Prepare("COMMIT", &FCommit);
    if (code == ISM_OK)
        code = Prepare("ROLLBACK", &FRollback);
    if (code == ISM_OK)
        code = EngineCode(sqlite3_exec(FDb, SessionPragmas, nullptr, nullptr, nullptr));
    if (code == ISM_OK)
        code = BeginRead();
    if (code != ISM_OK)
        return code;

    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(FDb, "PRAGMA application_id", -1, &statement, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(statement);
    const bool ours = rc == SQLITE_ROW && sqlite3_column_int(statement, 0) == ApplicationId;
    sqlite3_finalize(statement);
    if (rc != SQLITE_ROW) {
        EndRead();
        return EngineCode(rc);
    }
    if (!ours) {
        EndRead();
        return ISM_NOT_ISAM;
    }

    // From here on the file says it is ours: whatever is wrong is damage.
    code = ISM_CORRUPT;
    const std::string metaSql = std::string("SELECT format, key_length, layout FROM ") + MetaTable;
    rc = sqlite3_prepare_v2(FDb, metaSql.c_str(), -1, &statement, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        const int format = sqlite3_column_int(statement, 0);
        const int keyLength = sqlite3_column_int(statement, 1);
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 2));
        const int textSize = sqlite3_column_bytes(statement, 2);
        auto layout = text ? TFieldLayout::Parse(std::string_view(text, static_cast<size_t>(textSize)))
                           : std::optional<TFieldLayout>();
        if (format != FormatVersion) {
            code = ISM_NOT_ISAM;
        } else if (layout && keyLength >= 1 && keyLength <= 64) {
            FLayout = std::move(*layout);
            FLayoutText.assign(text, static_cast<size_t>(textSize));
            FKeyLength = keyLength;
            code = ISM_OK;
        }
    } else if (rc != SQLITE_DONE && (rc & 0xFF) != SQLITE_ERROR) {
        code = EngineCode(rc);
    }
    sqlite3_finalize(statement);

    if (code == ISM_OK) {
        // Every column the layout needs must be there.
        const std::string sql = SelectAll() + "LIMIT 0";
        rc = sqlite3_prepare_v2(FDb, sql.c_str(), -1, &statement, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(statement);
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            code = (rc & 0xFF) == SQLITE_ERROR ? int16_t{ISM_CORRUPT} : EngineCode(rc);
    }
    if (code == ISM_OK) {
        // A file shorter than its header says was cut off.
        sqlite3_int64 pages = 0, pageSize = 0;
        rc = sqlite3_prepare_v2(FDb, "PRAGMA page_count", -1, &statement, nullptr);
        if (rc == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
            pages = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        rc = sqlite3_prepare_v2(FDb, "PRAGMA page_size", -1, &statement, nullptr);
        if (rc == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
            pageSize = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        struct stat info {};
        if (::stat(FPath.c_str(), &info) != 0 || info.st_size < pages * pageSize)
            code = ISM_CORRUPT;
    }
    if (code == ISM_OK)
        code = EngineCode(sqlite3_exec(FDb, JournalPragma, nullptr, nullptr, nullptr));
    if (code != ISM_OK) {
        EndRead();
        return code;
    }
    // The check's read transaction stays: the handle's first reads continue it.
    FOpenRun = true;

    FIndexStatements.resize(static_cast<size_t>(FLayout.FieldCount()) + 1);
    FPositions.resize(static_cast<size_t>(FLayout.FieldCount()) + 1);
    return ISM_OK;
}

TDataset::~TDataset() {
    EndRead();
    for (TIndexStatements& statements : FIndexStatements)
        for (sqlite3_stmt* statement : statements.Reads)
            sqlite3_finalize(statement);
    for (sqlite3_stmt* statement : FRecordStatements)
        sqlite3_finalize(statement);
    for (sqlite3_stmt* statement : {FBegin, FBeginWrite, FCommit, FRollback})
        sqlite3_finalize(statement);
    sqlite3_close_v2(FDb);
}

bool TDataset::ValidIndex(int index) const {
    return index == 0 || FLayout.IsIndex(index);
}

std::string TDataset::ColumnName(int index) const {
    return index == 0 ? "key" : "f" + std::to_string(index);
}

std::string TDataset::SelectAll() const {
    std::string sql = "SELECT key, data";
    for (int position = 1; position <= FLayout.FieldCount(); ++position)
        if (FLayout.IsIndex(position))
            sql += ", " + ColumnName(position);
    return sql + " FROM records ";
}

int16_t TDataset::Prepare(const std::string& sql, sqlite3_stmt** statement) {
    const int rc = sqlite3_prepare_v3(FDb, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      statement, nullptr);
    return EngineCode(rc);
}

int16_t TDataset::IndexStatement(int index, TReadKind kind, sqlite3_stmt** statement) {
    sqlite3_stmt*& slot = FIndexStatements[static_cast<size_t>(index)].Reads[static_cast<size_t>(kind)];
    *statement = slot;
    if (slot)
        return ISM_OK;
    const std::string column = ColumnName(index);
    // Columns: the key, the record, then every index value, so that each row
    // read can be checked whole.
    std::string sql = SelectAll();
    const bool ascending = kind != TReadKind::Last && kind != TReadKind::Before;
    // ?1 is the value in this index, ?2 the primary key. The sequential
    // statements have no LIMIT: a run of reads keeps stepping one of them.
    if (kind == TReadKind::Equal)
        sql += "WHERE " + column + " = ?1";
    else if (kind == TReadKind::After)
        sql += index == 0 ? "WHERE key > ?2" : "WHERE (" + column + ", key) > (?1, ?2)";
    else if (kind == TReadKind::Before)
        sql += index == 0 ? "WHERE key < ?2" : "WHERE (" + column + ", key) < (?1, ?2)";
    if (ascending)
        sql += index == 0 ? " ORDER BY key" : " ORDER BY " + column + ", key";
    else
        sql += index == 0 ? " ORDER BY key DESC" : " ORDER BY " + column + " DESC, key DESC";
    if (kind == TReadKind::Equal)
        sql += " LIMIT 1";
    const int16_t code = Prepare(sql, &slot);
    *statement = slot;
    return code;
}

int16_t TDataset::RecordStatement(TRecordKind kind, sqlite3_stmt** statement) {
    sqlite3_stmt*& slot = FRecordStatements[static_cast<size_t>(kind)];
    *statement = slot;
    if (slot)
        return ISM_OK;
    std::string sql;
    if (kind == TRecordKind::Delete) {
        sql = "DELETE FROM records WHERE key=?1";
    } else if (kind == TRecordKind::Count) {
        sql = "SELECT count(*) FROM records";
    } else {
        std::string columns, values, updates;
        int parameter = 3;
        for (int position = 1; position <= FLayout.FieldCount(); ++position)
            if (FLayout.IsIndex(position)) {
                const std::string bind = "?" + std::to_string(parameter++);
                columns += ", " + ColumnName(position);
                values += ", " + bind;
                updates += ", " + ColumnName(position) + "=" + bind;
            }
        sql = kind == TRecordKind::Insert ? "INSERT INTO records(key, data" + columns + ") VALUES(?1, ?2" + values + ")"
                                          : "UPDATE records SET data=?2" + updates + " WHERE key=?1";
    }
    const int16_t code = Prepare(sql, &slot);
    *statement = slot;
    return code;
}

int16_t TDataset::Exec(sqlite3_stmt* statement) {
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    return rc == SQLITE_DONE ? int16_t{ISM_OK} : EngineCode(rc);
}

int16_t TDataset::BeginRead() {
    if (FInRead && !sqlite3_get_autocommit(FDb))
        return ISM_OK;
    FInRead = false;
    for (TIndexStatements& statements : FIndexStatements)
        DropCursor(statements);
    // A deferred transaction: the shared lock is taken by the first read and
    // kept until EndRead, so a run of reads locks the file once.
    const int16_t code = Exec(FBegin);
    FInRead = code == ISM_OK;
    return code;
}

int16_t TDataset::StartRead(int index, TIndexStatements** statements) {
    FOpenRun = false;
    *statements = &FIndexStatements[static_cast<size_t>(index)];
    return BeginRead();
}

void TDataset::DropCursor(TIndexStatements& statements) {
    if (statements.Cursor) {
        sqlite3_reset(statements.Cursor);
        sqlite3_clear_bindings(statements.Cursor);
        statements.Cursor = nullptr;
    }
}

void TDataset::EndRead() {
    FOpenRun = false;
    for (TIndexStatements& statements : FIndexStatements)
        DropCursor(statements);
    if (!FInRead)
        return;
    FInRead = false;
    if (sqlite3_get_autocommit(FDb))
        return;
    if (Exec(FCommit) != ISM_OK && !sqlite3_get_autocommit(FDb))
        Exec(FRollback);
}

void TDataset::ToFirst(int index) {
    if (!FOpenRun)
        EndRead();
    FPositions[static_cast<size_t>(index)] = TPosition{};
}

void TDataset::ToLast(int index) {
    if (!FOpenRun)
        EndRead();
    FPositions[static_cast<size_t>(index)] = TPosition{TPosition::TWhere::AfterLast, {}, {}};
}

void TDataset::BindValue(sqlite3_stmt* statement, int parameter, int index, const std::string& value) {
    if (index == 0)
        sqlite3_bind_text(statement, parameter, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    else
        sqlite3_bind_blob(statement, parameter, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

bool TDataset::IndexValueMatches(int position, const unsigned char* data, sqlite3_stmt* statement, int column) const {
    if (sqlite3_column_type(statement, column) != SQLITE_BLOB)
        return false;
    const auto* stored = static_cast<const char*>(sqlite3_column_blob(statement, column));
    const auto size = static_cast<size_t>(sqlite3_column_bytes(statement, column));
    const TFieldDesc& field = FLayout.Field(position);
    if (field.Kind == TFieldDesc::TKind::Int16) {
        const std::string value = IndexValueOf(position, data);
        return size == value.size() && std::memcmp(stored, value.data(), size) == 0;
    }
    const auto* text = reinterpret_cast<const char*>(data + field.Offset);
    return size == strnlen(text, field.Size) && (size == 0 || std::memcmp(stored, text, size) == 0);
}

int16_t TDataset::Fetch(sqlite3_stmt* statement, int index, TRecord* record) {
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_DONE)
        return ISM_NOT_FOUND;
    if (rc != SQLITE_ROW)
        return EngineCode(rc);
    // The row is input from whoever wrote the file: a key that is not text of
    // printable characters within the key length, a record that is not a
    // blob of exactly the layout's size, or an index value that is not the
    // one the record's data gives, is damage and none of it is handed out.
    if (sqlite3_column_type(statement, 0) != SQLITE_TEXT || sqlite3_column_type(statement, 1) != SQLITE_BLOB)
        return ISM_CORRUPT;
    const auto* key = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    const auto keySize = static_cast<size_t>(sqlite3_column_bytes(statement, 0));
    if (!key || keySize == 0 || keySize > static_cast<size_t>(FKeyLength))
        return ISM_CORRUPT;
    for (size_t i = 0; i < keySize; ++i)
        if (key[i] < 0x20 || key[i] > 0x7E)
            return ISM_CORRUPT;
    const auto* data = static_cast<const unsigned char*>(sqlite3_column_blob(statement, 1));
    if (static_cast<size_t>(sqlite3_column_bytes(statement, 1)) != FLayout.RecordSize() || !data)
        return ISM_CORRUPT;
    int column = 2, valueColumn = -1;
    const std::vector<TFieldDesc>& fields = FLayout.Fields();
    for (int position = 1; position <= static_cast<int>(fields.size()); ++position)
        if (fields[static_cast<size_t>(position - 1)].Indexed) {
            if (!IndexValueMatches(position, data, statement, column))
                return ISM_CORRUPT;
            if (position == index)
                valueColumn = column;
            ++column;
        }
    record->Key.assign(key, keySize);
    record->Data.assign(reinterpret_cast<const char*>(data), FLayout.RecordSize());
    if (valueColumn < 0)
        record->Value = record->Key;
    else
        record->Value = ColumnBytes(statement, valueColumn);
    return ISM_OK;
}

int16_t TDataset::ReadEqual(int index, const std::string& text, TRecord* record) {
    std::string value;
    if (!SearchValue(index, text, &value))
        return ISM_NOT_FOUND;
    TIndexStatements* statements = nullptr;
    int16_t code = StartRead(index, &statements);
    if (code != ISM_OK)
        return code;
    DropCursor(*statements);
    sqlite3_stmt* equal = nullptr;
    code = IndexStatement(index, TReadKind::Equal, &equal);
    if (code != ISM_OK) {
        EndRead();
        return code;
    }
    BindValue(equal, 1, index, value);
    code = Fetch(equal, index, record);
    sqlite3_reset(equal);
    sqlite3_clear_bindings(equal);
    if (code != ISM_OK && code != ISM_NOT_FOUND)
        EndRead();
    if (code == ISM_OK)
        FPositions[static_cast<size_t>(index)].Set(*record);
    return code;
}

int16_t TDataset::ReadNext(int index, TRecord* record) {
    return ReadStep(index, record, true);
}

int16_t TDataset::ReadPrevious(int index, TRecord* record) {
    return ReadStep(index, record, false);
}

int16_t TDataset::ReadStep(int index, TRecord* record, bool forward) {
    TPosition& position = FPositions[static_cast<size_t>(index)];
    const TPosition::TWhere start = forward ? TPosition::TWhere::BeforeFirst : TPosition::TWhere::AfterLast;
    const TPosition::TWhere end = forward ? TPosition::TWhere::AfterLast : TPosition::TWhere::BeforeFirst;
    if (position.Where == end) {
        EndRead();
        return ISM_NOT_FOUND;
    }
    TIndexStatements* statements = nullptr;
    int16_t code = StartRead(index, &statements);
    if (code != ISM_OK)
        return code;
    // Within one read transaction nobody can commit, so the statement that
    // produced the current record still yields exactly the records after it.
    sqlite3_stmt* statement = statements->Cursor;
    if (!statement || statements->CursorForward != forward || position.Where != TPosition::TWhere::On) {
        DropCursor(*statements);
        const bool fromEnd = position.Where == start;
        code = IndexStatement(index,
                              fromEnd   ? (forward ? TReadKind::First : TReadKind::Last)
                              : forward ? TReadKind::After
                                        : TReadKind::Before,
                              &statement);
        if (code != ISM_OK) {
            EndRead();
            return code;
        }
        if (!fromEnd) {
            BindValue(statement, 1, index, position.Value);
            BindValue(statement, 2, 0, position.Key);
        }
        statements->Cursor = statement;
        statements->CursorForward = forward;
    }
    code = Fetch(statement, index, record);
    if (code == ISM_OK) {
        position.Set(*record);
    } else if (code == ISM_NOT_FOUND) {
        // The end of a scan: let writers in again at once.
        position = TPosition{end, {}, {}};
        EndRead();
    } else {
        EndRead();
    }
    return code;
}

std::string TDataset::IndexValueOf(int position, const unsigned char* data) const {
    const TFieldDesc& field = FLayout.Field(position);
    if (field.Kind == TFieldDesc::TKind::Int16)
        return IntKey(static_cast<int16_t>(static_cast<uint16_t>(data[field.Offset] | (data[field.Offset + 1] << 8))));
    return FieldText(data + field.Offset, field.Size);
}

std::string TDataset::ValueText(int index, const std::string& value) const {
    if (index == 0 || FLayout.Field(index).Kind != TFieldDesc::TKind::Int16 || value.size() != 2)
        return value;
    const auto bits =
        static_cast<uint16_t>((static_cast<unsigned char>(value[0]) << 8) | static_cast<unsigned char>(value[1]));
    return std::to_string(static_cast<int16_t>(bits ^ 0x8000u));
}

bool TDataset::SearchValue(int index, const std::string& text, std::string* value) const {
    if (index == 0) {
        *value = text;
        return true;
    }
    const TFieldDesc& field = FLayout.Field(index);
    if (field.Kind == TFieldDesc::TKind::Int16) {
        int number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size() || number < INT16_MIN || number > INT16_MAX)
            return false;
        *value = IntKey(static_cast<int16_t>(number));
        return true;
    }
    if (text.size() > field.Size)
        return false;
    *value = text;
    return true;
}

void TDataset::Rollback() {
    if (!sqlite3_get_autocommit(FDb))
        Exec(FRollback);
}

int16_t TDataset::Write(sqlite3_stmt* statement, bool mustChange) {
    EndRead();
    int16_t code = Exec(FBeginWrite);
    if (code != ISM_OK) {
        Rollback();
        return code;
    }
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (rc != SQLITE_DONE) {
        Rollback();
        return EngineCode(rc);
    }
    if (mustChange && sqlite3_changes(FDb) == 0) {
        Rollback();
        return ISM_NOT_FOUND;
    }
    code = Exec(FCommit);
    if (code != ISM_OK)
        Rollback();
    return code;
}

int16_t TDataset::Put(const std::string& key, const unsigned char* data, bool replace) {
    sqlite3_stmt* statement = nullptr;
    const int16_t code = RecordStatement(replace ? TRecordKind::Update : TRecordKind::Insert, &statement);
    if (code != ISM_OK)
        return code;
    sqlite3_bind_text(statement, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(statement, 2, data, static_cast<int>(FLayout.RecordSize()), SQLITE_TRANSIENT);
    int parameter = 3;
    for (int position = 1; position <= FLayout.FieldCount(); ++position)
        if (FLayout.IsIndex(position)) {
            const std::string value = IndexValueOf(position, data);
            sqlite3_bind_blob(statement, parameter++, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        }
    return Write(statement, replace);
}

int16_t TDataset::Delete(const std::string& key) {
    sqlite3_stmt* statement = nullptr;
    const int16_t code = RecordStatement(TRecordKind::Delete, &statement);
    if (code != ISM_OK)
        return code;
    sqlite3_bind_text(statement, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    return Write(statement, true);
}

int16_t TDataset::Count(int32_t* count) {
    FOpenRun = false;
    sqlite3_stmt* statement = nullptr;
    int16_t code = RecordStatement(TRecordKind::Count, &statement);
    if (code == ISM_OK)
        code = BeginRead();
    if (code != ISM_OK)
        return code;
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        const sqlite3_int64 rows = sqlite3_column_int64(statement, 0);
        *count = rows > INT32_MAX ? INT32_MAX : static_cast<int32_t>(rows);
    } else {
        code = EngineCode(rc);
    }
    sqlite3_reset(statement);
    if (code != ISM_OK)
        EndRead();
    return code;
}

} // namespace qel::engine
