// An installation that fails midway leaves the machine as it was: a failure
// injected at each step in turn, over an earlier setup and on a fresh
// system, and the files and Wine's registry compared with before. Also
// scripts that name both of two files or values which the file system and
// the registry keep apart but a linguistic comparison takes for one.
#include "install/cursor_scheme.h"
#include "install/journal.h"
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

class RollbackTest : public InstallationTest, public ::testing::WithParamInterface<Fault> {
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

    FaultyFileSystem faultyFiles_;
};

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

// Put back before anything else, and aside again should this run fail, with
// what stood in their place, also under names the code page cannot hold.
TEST_F(RollbackTest, FilesSetAsideByAnInterruptedRunArePutBackFirst) {
    makeEarlierSetup();
    // A run ended midway: zun.cur set aside and half copied, and an earlier
    // file with a name outside the code page set aside.
    MoveFileA(folder_.path("Kastrell\\zun.cur").c_str(),
              folder_.path(std::string("Kastrell\\zun.cur") + keptCopySuffix).c_str());
    folder_.write("Kastrell\\zun.cur", "half");
    const std::wstring omega = fromAnsiCodePage(destination()) + L"\u03A9.cur";
    std::ofstream(std::filesystem::path(omega + fromAnsiCodePage(keptCopySuffix)), std::ios::binary) << "earlier omega";
    const auto filesBefore = folderContents();
    faultyFiles_.failOn(FileCall::copy, 7);

    EXPECT_EQ(installFailure(faultyFiles_).outcome(), allPutBack);
    EXPECT_EQ(folderContents(), filesBefore);

    install(faultyFiles_);
    EXPECT_EQ(installed("zun.cur"), sourceContentOf(4));
    const auto files = folderContents();
    EXPECT_EQ(files.at("Kastrell\\\xCE\xA9.cur"), "earlier omega");  // UTF-8
    for (const auto& [name, bytes] : files) EXPECT_FALSE(isKeptCopyName(name)) << name;
}

}  // namespace
}  // namespace kastrell
