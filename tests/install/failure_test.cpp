// Failures that no check in advance can foresee: the registry refusing a
// call. Each is reported, never "Setup Completed".
#include "install/cursor_scheme.h"
#include "tests/install/installation_fixture.h"

namespace kastrell {
namespace {

const std::string schemesPath = std::string(cursorKeyPath) + "\\Schemes";

bool mentions(const Failure& failure, const std::string& text) {
    return failure.subject().find(text) != std::string::npos;
}

void expectReported(const Failure& failure, LONG code, const std::string& key, const std::string& value) {
    EXPECT_EQ(failure.number(), static_cast<unsigned long>(code));
    EXPECT_EQ(failure.description(), systemErrorText(code));
    EXPECT_TRUE(mentions(failure, "HKEY_CURRENT_USER\\" + key)) << failure.subject();
    EXPECT_TRUE(mentions(failure, value)) << failure.subject();
}

TEST_F(InstallationTest, SchemeKeyDeniedIsReportedWithoutTryingToMakeIt) {
    registry_.failOn(RegistryCall::open, schemesPath, ERROR_ACCESS_DENIED);

    const Failure failure = installFailure();

    expectReported(failure, ERROR_ACCESS_DENIED, schemesPath, "open");
    EXPECT_FALSE(registry_.called("RegCreateKeyW " + schemesPath));
    EXPECT_FALSE(registry_.called("RegSetValueExW Kastrell"));
    EXPECT_FALSE(page_.completed());
}

TEST_F(InstallationTest, SchemeKeyThatCannotBeMadeIsReported) {
    registry_.failOn(RegistryCall::create, schemesPath, ERROR_ACCESS_DENIED);

    expectReported(installFailure(), ERROR_ACCESS_DENIED, schemesPath, "make");
    EXPECT_FALSE(registry_.called("RegSetValueExW Kastrell"));
}

TEST_F(InstallationTest, FailingValueWritesAreReportedNamingTheValue) {
    struct Case {
        RegistryCall call;
        std::string name;
        std::string key;
        std::string named;
    };
    const Case cases[] = {
        {RegistryCall::setDefault, cursorKeyPath, cursorKeyPath, "default value"},
        {RegistryCall::setValue, "SizeWE", cursorKeyPath, "\"SizeWE\" under"},
        {RegistryCall::setValue, "Kastrell", schemesPath, "\"Kastrell\" under"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        deleteKeyTree(cursorKeyPath);
        page_.calls.clear();
        registry_ = FaultyRegistry();
        registry_.failOn(c.call, c.name, ERROR_INVALID_HANDLE);

        expectReported(installFailure(), ERROR_INVALID_HANDLE, c.key, c.named);
        EXPECT_FALSE(page_.completed());
        EXPECT_EQ(std::count(page_.calls.begin(), page_.calls.end(), "setStatus Setup Completed"), 0);
    }
}

TEST_F(InstallationTest, CursorKeyThatCannotBeOpenedIsReported) {
    // Denied outright: reported before anything is written to it.
    registry_.failOn(RegistryCall::open, cursorKeyPath, ERROR_ACCESS_DENIED);
    expectReported(installFailure(), ERROR_ACCESS_DENIED, cursorKeyPath, "open");
    EXPECT_FALSE(registry_.called("RegSetValueW " + std::string(cursorKeyPath)));
    EXPECT_FALSE(keyExists(cursorKeyPath));
}

TEST_F(InstallationTest, AbsentCursorKeyThatStaysUnopenableIsReported) {
    // The first open finds the key absent (Wine's real answer); naming the
    // scheme makes it; the second open is refused.
    registry_.failOn(RegistryCall::open, cursorKeyPath, ERROR_ACCESS_DENIED, 2);

    expectReported(installFailure(), ERROR_ACCESS_DENIED, cursorKeyPath, "after making it");
    EXPECT_FALSE(registry_.called("RegSetValueExW Arrow"));
    EXPECT_FALSE(page_.completed());
}

}  // namespace
}  // namespace kastrell
