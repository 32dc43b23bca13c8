// An installation that fails midway leaves the machine as it was: a failure
// injected at each step in turn, over an earlier setup and on a fresh
// system, and the files and Wine's registry compared with before. The same
// steps as where a run is killed: nothing changes after them, and the next
// start puts the machine right from the journal on the disk. Also scripts
// that name both of two files or values which the file system and the
// registry keep apart but a linguistic comparison takes for one, and
// journals that are damaged or not ours.
#include "install/cursor_scheme.h"
#include "install/journal.h"
#include "platform/held_file.h"
#include "platform/text_decoding.h"
#include "tests/install/faulty_file_system.h"
#include "tests/install/installation_fixture.h"

#include <filesystem>
#include <fstream>
#include <functional>

namespace kastrell {
namespace {

const std::string schemesPath = std::string(cursorKeyPath) + "\\Schemes";
const std::string allPutBack = "Setup has put back everything it had changed.";

struct Fault {
    std::string name;
    bool earlierSetup;
    std::function<void(FaultyRegistry&, FaultyFileSystem&)> inject;
    std::string reported;  // in the failure's subject
    std::string outcome = allPutBack;
    Lines script = sampleScript();
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

std::function<void(FaultyRegistry&, FaultyFileSystem&)> registryFault(RegistryCall call, const std::string& name,
                                                                      int occurrence = 0) {
    return [=](FaultyRegistry& registry, FaultyFileSystem&) {
        registry.failOn(call, name, ERROR_ACCESS_DENIED, occurrence);
    };
}

std::function<void(FaultyRegistry&, FaultyFileSystem&)> fileFault(FileCall call, int occurrence) {
    return [=](FaultyRegistry&, FaultyFileSystem& files) { files.failOn(call, occurrence, ERROR_ACCESS_DENIED); };
}

std::string roleOf(int registrationLine) {
    const std::string line = sampleScript()[registrationLine + 9];
    return line.substr(0, line.find('='));
}

std::vector<Fault> everyStep() {
    std::vector<Fault> faults;
    for (const bool earlier : {true, false}) {
        const std::string world = earlier ? "OverEarlierSetup_" : "OnFreshSystem_";
        auto add = [&](const std::string& step, auto inject, const std::string& reported) {
            faults.push_back({world + step, earlier, inject, reported});
        };
        if (!earlier) {
            add("MakingTheFolder", fileFault(FileCall::make, 1), "Cannot make the folder");
            faults.back().outcome = "";  // the first change failed: nothing to put back
        }
        for (int line = 1; line <= 10; ++line)
            if (earlier || line == 1 || line == 10)
                add("Copy" + std::to_string(line), fileFault(FileCall::copy, line), cursorFileOf(line));
        add("OpeningTheCursorKey", registryFault(RegistryCall::open, cursorKeyPath, 1), "Cannot open");
        if (!earlier)
            add("OpeningTheMadeCursorKey", registryFault(RegistryCall::open, cursorKeyPath, 2), "after making it");
        add("NamingTheScheme", registryFault(RegistryCall::setDefault, cursorKeyPath), "default value");
        add("SchemeSource", registryFault(RegistryCall::setValue, schemeSourceName), "\"Scheme Source\"");
        for (int line = 1; line <= 10; ++line) {
            if (!earlier && line != 1 && line != 10) continue;
            const std::string role = roleOf(line);
            add("Value" + role, registryFault(RegistryCall::setValue, role), quotedForMessage(role));
        }
        add("OpeningTheSchemeKey", registryFault(RegistryCall::open, schemesPath), "Cannot open");
        if (!earlier) add("MakingTheSchemeKey", registryFault(RegistryCall::create, schemesPath), "Cannot make");
        add("WritingTheSchemeList", registryFault(RegistryCall::setValue, schemeName), "\"Kastrell\" under");
    }
    // "Control Panel" gives no answer whether it is there: never removed.
    faults.push_back({"OnFreshSystem_UnreadableParentKey", false,
                      [](FaultyRegistry& registry, FaultyFileSystem& files) {
                          registry.failOn(RegistryCall::presence, "Control Panel", ERROR_ACCESS_DENIED);
                          registryFault(RegistryCall::setValue, "Hand")(registry, files);
                      },
                      "\"Hand\""});
    return faults;
}

// The earlier setup has "qilo.cur", "Strasse.cur" and values "Arrow" and
// "Strasse"; a script writes first the look-alike name, then the earlier one,
// and fails late: at the seventh copy, or at the last value.
std::vector<Fault> namesKeptApart() {
    struct Pair {
        std::string name, lookAlike, plain;
    };
    const Pair pairs[] = {{"SoftHyphen", "qi\xADlo", "qilo"}, {"SharpS", "Stra\xDF" "e", "Strasse"}};
    std::vector<Fault> faults;
    for (const Pair& pair : pairs) {
        Lines script = sampleScript();
        script[1] = "source2.cur=" + pair.lookAlike + ".cur";
        script[2] = "source3.cur=" + pair.plain + ".cur";
        script[10] = (pair.plain == "qilo" ? "Ar\xADrow" : pair.lookAlike) + "=a.cur";
        script[11] = (pair.plain == "qilo" ? "Arrow" : pair.plain) + "=b.cur";
        faults.push_back({pair.name + "_FailingAtTheSeventhCopy", true, fileFault(FileCall::copy, 7), "vad1.cur",
                          allPutBack, script});
        faults.push_back({pair.name + "_FailingAtTheLastValue", true, registryFault(RegistryCall::setValue, "Hand"),
                          "\"Hand\"", allPutBack, script});
    }
    // Names that differ in case only are one file and one value: the second
    // copy replaces this run's own file, which is not set aside (no rename
    // on a fresh system), and the value is put back once, under the name
    // first written.
    Lines sameFile = sampleScript();
    sameFile[4] = "source5.cur=ZUN.cur";
    faults.push_back({"CaseOnly_SecondCopyOverThisRunsFile", false,
                      [](FaultyRegistry& registry, FaultyFileSystem& files) {
                          files.failOn(FileCall::move, 1, ERROR_ACCESS_DENIED);
                          registry.failOn(RegistryCall::setValue, "Hand", ERROR_ACCESS_DENIED);
                      },
                      "\"Hand\"", allPutBack, sameFile});
    Lines sameValue = sampleScript();
    sameValue[14] = "WAIT=lonat.cur";
    faults.push_back({"CaseOnly_SecondValueOverThisRunsValue", true,
                      [](FaultyRegistry& registry, FaultyFileSystem&) {
                          registry.failOn(RegistryCall::putBack, "WAIT", ERROR_ACCESS_DENIED);
                          registry.failOn(RegistryCall::setValue, "Hand", ERROR_ACCESS_DENIED);
                      },
                      "\"Hand\"", allPutBack, sameValue});
    return faults;
}

class EarlierSetupTest : public InstallationTest {
protected:
    // Other bytes in every cursor file, a file of the user's own, and earlier
    // values, one of them outside the ANSI code page so that it is put back
    // as stored, not as the code page would have it.
    void makeEarlierSetup() {
        CreateDirectoryA(destination().c_str(), nullptr);
        for (int line = 1; line <= 10; ++line)
            folder_.write("Kastrell\\" + cursorFileOf(line), "earlier " + cursorFileOf(line));
        folder_.write("Kastrell\\mine.cur", "the user's own");
        const wchar_t earlierName[] = L"\u03A9mega";
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\cursors", nullptr, REG_SZ, earlierName, sizeof earlierName);
        putValue(cursorKeyPath, "Arrow", REG_EXPAND_SZ, std::string("c:\\earlier\\arrow.cur") + '\0');
        const DWORD systemScheme = 2;
        putValue(cursorKeyPath, schemeSourceName, REG_DWORD, std::string(reinterpret_cast<const char*>(&systemScheme), 4));
        putValue(cursorKeyPath, "Crosshair", REG_SZ, std::string("mine.cur") + '\0');
        folder_.write("Kastrell\\Strasse.cur", "the user's Strasse");
        putValue(cursorKeyPath, "Strasse", REG_SZ, std::string("Strasse.cur") + '\0');
        putValue(schemesPath, schemeName, REG_EXPAND_SZ, std::string("stale") + '\0');
        putValue(schemesPath, "Other", REG_EXPAND_SZ, std::string("a,b") + '\0');
    }

    std::wstring journal() const { return journalPathOf(fromAnsiCodePage(destination())); }
    // What the next start does, with the system's own calls.
    void putRight() {
        SystemRegistry registry;
        putRightInterruptedRun(registry, files_, fromAnsiCodePage(destination()));
    }
    Failure putRightFailure() {
        return failureOf([&] { putRight(); }, "the journal was followed");
    }

    FaultyFileSystem faultyFiles_;
    bool stopped_ = false;
};

class RollbackTest : public EarlierSetupTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(RollbackTest, LeavesFilesAndRegistryAsTheyWere) {
    writeScript(GetParam().script);
    if (GetParam().earlierSetup) makeEarlierSetup();
    const auto filesBefore = folderContents();
    // The whole "Control Panel": a key that was there is never removed.
    const std::string registryBefore = registrySnapshot("Control Panel");
    GetParam().inject(registry_, faultyFiles_);

    const Failure failure = installFailure(faultyFiles_);

    EXPECT_NE(failure.subject().find(GetParam().reported), std::string::npos) << failure.subject();
    EXPECT_EQ(failure.outcome(), GetParam().outcome);
    EXPECT_EQ(folderContents(), filesBefore);
    EXPECT_EQ(registrySnapshot("Control Panel"), registryBefore);
    EXPECT_FALSE(page_.completed());
}

// Killed there: the undo changes nothing either, and the journal, written
// ahead of each change, is all the next start has.
TEST_P(RollbackTest, StoppedThereIsPutRightAtTheNextStart) {
    writeScript(GetParam().script);
    if (GetParam().earlierSetup) makeEarlierSetup();
    const auto filesBefore = folderContents();
    const std::string registryBefore = registrySnapshot("Control Panel");
    GetParam().inject(registry_, faultyFiles_);
    faultyFiles_.stopAtFault(stopped_);
    registry_.stopAtFault(stopped_);

    installFailure(faultyFiles_);
    ASSERT_TRUE(stopped_);
    putRight();

    EXPECT_EQ(folderContents(), filesBefore);
    EXPECT_EQ(registrySnapshot("Control Panel"), registryBefore);
    putRight();  // nothing left to do
    EXPECT_EQ(folderContents(), filesBefore);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, RollbackTest, ::testing::ValuesIn(everyStep()),
                         [](const auto& row) { return row.param.name; });
INSTANTIATE_TEST_SUITE_P(NamesKeptApart, RollbackTest, ::testing::ValuesIn(namesKeptApart()),
                         [](const auto& row) { return row.param.name; });

TEST_F(RollbackTest, WhatCannotBePutBackIsNamedAndKept) {
    makeEarlierSetup();
    registry_.failOn(RegistryCall::setValue, schemeName, ERROR_ACCESS_DENIED);
    registry_.failOn(RegistryCall::putBack, "Arrow", ERROR_ACCESS_DENIED);
    // Ten set aside, then the restores from the tenth file down: the third.
    faultyFiles_.failOn(FileCall::move, 18, ERROR_ACCESS_DENIED);

    const Failure failure = installFailure(faultyFiles_);

    const std::string& outcome = failure.outcome();
    EXPECT_NE(outcome.find("except:"), std::string::npos) << outcome;
    EXPECT_NE(outcome.find("value \"Arrow\" under HKEY_CURRENT_USER\\Control Panel\\cursors"), std::string::npos)
        << outcome;
    EXPECT_NE(outcome.find(destination() + "tervox.cur\""), std::string::npos) << outcome;
    EXPECT_EQ(installed(std::string("tervox.cur") + keptCopySuffix), "earlier tervox.cur") << "nothing lost";
    EXPECT_EQ(installed("qilo.cur"), "earlier qilo.cur");
    EXPECT_EQ(storedValue(schemesPath, schemeName)->bytes, std::string("stale") + '\0');
}

// Killed while the kept copies go: the run had gone through, so the next
// start finishes it rather than undoing it, and leaves only the scheme.
TEST_F(RollbackTest, StoppedAfterGoingThroughIsFinishedAtTheNextStart) {
    makeEarlierSetup();
    faultyFiles_.failOn(FileCall::remove, 3);
    faultyFiles_.stopAtFault(stopped_);
    install(faultyFiles_);
    EXPECT_TRUE(page_.completed());
    EXPECT_TRUE(folder_.exists(std::string("Kastrell\\vad2.cur") + keptCopySuffix));

    putRight();

    auto files = folderContents();
    for (int line = 1; line <= 10; ++line) EXPECT_EQ(files["Kastrell\\" + cursorFileOf(line)], sourceContentOf(line));
    for (const auto& [name, bytes] : files) EXPECT_FALSE(isKeptCopyName(name) || name.ends_with("journal")) << name;
    EXPECT_EQ(storedValue(cursorKeyPath, "Arrow")->bytes, "%SYSTEMROOT%\\Cursors\\Kastrell\\Kastrell.cur" + std::string(1, '\0'));
}

// The file system's 8.3 alias of an earlier file and its long name are one
// file: kept once, put back under its long name, and written through either.
TEST_F(RollbackTest, AnAliasAndItsLongNameAreOneFile) {
    makeEarlierSetup();
    folder_.write("Kastrell\\tervox cursor.cur", "earlier long");
    char alias[MAX_PATH] = "";
    GetShortPathNameA(folder_.path("Kastrell\\tervox cursor.cur").c_str(), alias, MAX_PATH);
    const std::string aliasName = std::string(alias).substr(std::string(alias).rfind('\\') + 1);
    if (aliasName == "tervox cursor.cur") GTEST_SKIP() << "this file system gives no short names";
    Lines script = sampleScript();
    script[1] = "source2.cur=" + aliasName;
    script[2] = "source3.cur=tervox cursor.cur";
    writeScript(script);
    const auto filesBefore = folderContents();
    const std::string registryBefore = registrySnapshot("Control Panel");

    faultyFiles_.failOn(FileCall::copy, 7);
    EXPECT_EQ(installFailure(faultyFiles_).outcome(), allPutBack);
    EXPECT_EQ(folderContents(), filesBefore);

    FaultyFileSystem stoppedFiles;
    stoppedFiles.failOn(FileCall::copy, 7);
    stoppedFiles.stopAtFault(stopped_);
    installFailure(stoppedFiles);
    putRight();
    EXPECT_EQ(folderContents(), filesBefore);
    EXPECT_EQ(registrySnapshot("Control Panel"), registryBefore);

    install();
    auto files = folderContents();
    EXPECT_EQ(files.at("Kastrell\\tervox cursor.cur"), sourceContentOf(3));
    EXPECT_EQ(files.count("Kastrell\\" + aliasName), 0u) << "a second file under the alias";
    for (const auto& [name, bytes] : files) EXPECT_FALSE(isKeptCopyName(name)) << name;
}

// A kept copy that no journal claims is the user's: never put back, never
// replaced. A run that needs its name stops before changing anything.
TEST_F(RollbackTest, AKeptCopyNoJournalClaimsIsLeftAlone) {
    makeEarlierSetup();
    folder_.write(std::string("Kastrell\\zun.cur") + keptCopySuffix, "kept by whom?");
    const std::wstring omega = fromAnsiCodePage(destination()) + L"\u03A9.cur";
    std::ofstream(std::filesystem::path(omega + fromAnsiCodePage(keptCopySuffix)), std::ios::binary) << "earlier omega";
    const auto filesBefore = folderContents();
    const std::string registryBefore = registrySnapshot("Control Panel");

    const Failure failure = installFailure();
    EXPECT_NE(failure.subject().find("zun.cur.kastrell-previous\" is in the way"), std::string::npos)
        << failure.subject();
    EXPECT_EQ(failure.outcome(), "") << "the earlier files were set aside";
    EXPECT_EQ(folderContents(), filesBefore);
    EXPECT_EQ(registrySnapshot("Control Panel"), registryBefore);

    DeleteFileA(folder_.path(std::string("Kastrell\\zun.cur") + keptCopySuffix).c_str());
    install();
    auto files = folderContents();
    EXPECT_EQ(files.at("Kastrell\\\xCE\xA9.cur.kastrell-previous"), "earlier omega");  // UTF-8
    EXPECT_EQ(files.at("Kastrell\\mine.cur"), "the user's own");
    files.erase("Kastrell\\\xCE\xA9.cur.kastrell-previous");
    for (const auto& [name, bytes] : files) EXPECT_FALSE(isKeptCopyName(name) || name.ends_with("journal")) << name;
}

TEST_F(RollbackTest, ASecondSetupWhileOneInstallsChangesNothing) {
    makeEarlierSetup();
    const auto filesBefore = folderContents();
    const std::string registryBefore = registrySnapshot("Control Panel");
    // As the first one holds it while it installs.
    auto first = HeldFile::open(journal(), true);

    for (const Failure& failure : {installFailure(), putRightFailure()}) {
        EXPECT_EQ(failure.number(), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
        EXPECT_NE(failure.subject().find("Another Kastrell Setup is installing"), std::string::npos) << failure.subject();
        EXPECT_EQ(failure.outcome(), "");
    }
    first->remove();
    EXPECT_EQ(folderContents(), filesBefore);
    EXPECT_EQ(registrySnapshot("Control Panel"), registryBefore);
}

struct DamagedJournal {
    std::string name;
    std::function<std::string(const std::wstring& folder)> bytes;
    std::string reported;
};

void PrintTo(const DamagedJournal& journal, std::ostream* out) { *out << journal.name; }

std::string entry(JournalEntry::Kind kind, const std::wstring& path, const std::wstring& name = L"") {
    return encodedEntry({kind, path, name, RegistryValue{REG_SZ, "x"}});
}

// Each would, if followed, put a kept copy back over the user's file or
// touch what is not the scheme's.
std::vector<DamagedJournal> damagedJournals() {
    using Kind = JournalEntry::Kind;
    const auto aside = [](const std::wstring& folder) { return entry(Kind::replacedFile, folder + L"qilo.cur"); };
    return {
        {"Truncated", [&](const std::wstring& folder) {
             const std::string whole = journalHeader() + aside(folder) + entry(Kind::wroteValue, L"Control Panel\\cursors", L"Arrow");
             return whole.substr(0, whole.size() - 3);
         }, "is truncated at byte"},
        {"TruncatedHeader", [](const std::wstring&) { return journalHeader().substr(0, 5); }, "is truncated at byte 5"},
        {"OtherVersion", [&](const std::wstring& folder) {
             std::string bytes = journalHeader() + aside(folder);
             bytes[4] = 2;
             return bytes;
         }, "is of version 2; this Setup reads version 1"},
        {"NotAJournal", [](const std::wstring&) { return std::string("[Kastrell]\r\nqilo.cur\r\n"); }, "is not a journal"},
        {"UnknownEntry", [&](const std::wstring& folder) { return journalHeader() + aside(folder) + std::string(8, '\0'); },
         "is damaged at byte "},
        {"FileOutsideTheFolder", [&](const std::wstring& folder) {
             return journalHeader() + aside(folder) + entry(Kind::madeFile, L"C:\\windows\\system32\\user32.dll");
         }, "names the file \"C:\\windows\\system32\\user32.dll\" at byte "},
        {"FileAboveTheFolder", [&](const std::wstring& folder) {
             return journalHeader() + aside(folder) + entry(Kind::madeFile, folder + L"..\\mine.cur");
         }, "outside the scheme folder"},
        {"AnotherFolder", [&](const std::wstring& folder) {
             return journalHeader() + entry(Kind::madeFolder, folder + L"sub\\") + aside(folder);
         }, "not the scheme folder"},
        {"KeyOutsideCursors", [&](const std::wstring& folder) {
             return journalHeader() + aside(folder) +
                    entry(Kind::wroteValue, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"x");
         }, "names the registry key HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run at byte "},
        {"KeyLikeCursors", [&](const std::wstring& folder) {
             return journalHeader() + aside(folder) + entry(Kind::madeKey, L"Control Panel\\cursorsX");
         }, "outside HKEY_CURRENT_USER\\Control Panel\\cursors"},
    };
}

class DamagedJournalTest : public EarlierSetupTest, public ::testing::WithParamInterface<DamagedJournal> {};

// Reported at the start and at Install alike, nothing followed: the earlier
// qilo.cur stays aside, the journal stays for the user to see.
TEST_P(DamagedJournalTest, IsReportedAndNotFollowed) {
    makeEarlierSetup();
    MoveFileA(folder_.path("Kastrell\\qilo.cur").c_str(),
              folder_.path(std::string("Kastrell\\qilo.cur") + keptCopySuffix).c_str());
    folder_.write("Kastrell\\qilo.cur", "the user's newer qilo");
    std::ofstream(std::filesystem::path(journal()), std::ios::binary) << GetParam().bytes(fromAnsiCodePage(destination()));
    const auto filesBefore = folderContents();
    const std::string registryBefore = registrySnapshot("Control Panel");

    for (const Failure& failure : {putRightFailure(), installFailure()}) {
        EXPECT_EQ(failure.number(), static_cast<unsigned long>(ERROR_INVALID_DATA));
        EXPECT_NE(failure.subject().find(toAnsiCodePage(journal()) + "\", left by an installation that did not end"),
                  std::string::npos)
            << failure.subject();
        EXPECT_NE(failure.subject().find(GetParam().reported), std::string::npos) << failure.subject();
        EXPECT_NE(failure.subject().find("has changed nothing"), std::string::npos);
        EXPECT_EQ(folderContents(), filesBefore);
        EXPECT_EQ(registrySnapshot("Control Panel"), registryBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(Journals, DamagedJournalTest, ::testing::ValuesIn(damagedJournals()),
                         [](const auto& row) { return row.param.name; });

}  // namespace
}  // namespace kastrell
