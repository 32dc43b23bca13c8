#pragma once
// The system's registry, except that chosen calls return chosen codes
// without reaching it: the failures Wine's registry will not produce on
// demand (access denied, a failing write). Every call the installation
// makes is noted; the reads and undoing calls that keep the machine as it
// was are not, though their failures can be chosen too.
#include "platform/registry.h"

#include <string>
#include <vector>

namespace kastrell {

// `presence` faults make keyPresence answer "absent" for ERROR_FILE_NOT_FOUND
// and "could not tell" for any other code.
enum class RegistryCall { open, create, setDefault, setValue, close, putBack, presence };

class FaultyRegistry : public Registry {
public:
    // The `occurrence`-th call of that kind naming `name` (a subkey, or for
    // setValue a value name, in the ANSI code page) returns `result`;
    // occurrence 0 means every one.
    void failOn(RegistryCall call, std::string name, LONG result, int occurrence = 0);
    // From the first injected failure on, as if the program had been killed
    // there: no call changes anything any more, and `stopped` says so to the
    // file system; set by it, the same here.
    void stopAtFault(bool& stopped) { stopped_ = &stopped; }

    // "RegOpenKeyW Control Panel\cursors", "RegSetValueExW Arrow", ..., names
    // in the ANSI code page.
    const std::vector<std::string>& calls() const { return calls_; }
    bool called(const std::string& call) const;

    struct Write {
        std::string name;
        DWORD type;
        std::string data;
        DWORD length;
    };
    // Every RegSetValueExW passed on to the system, with what it was given.
    const std::vector<Write>& writes() const { return writes_; }

    LONG openKey(HKEY parent, const std::wstring& subKey, HKEY& key) override;
    LONG createKey(HKEY parent, const std::wstring& subKey, HKEY& key) override;
    LONG setDefaultValue(HKEY parent, const std::wstring& subKey, const std::string& text) override;
    LONG setValue(HKEY key, const std::wstring& name, DWORD type, const std::string& data,
                  DWORD length) override;
    LONG closeKey(HKEY key) override;
    KeyPresence keyPresence(HKEY parent, const std::wstring& subKey) override;
    LONG readValue(HKEY key, const std::wstring& name, std::optional<RegistryValue>& value) override;
    // putBack faults name the value.
    LONG putBackValue(HKEY parent, const std::wstring& subKey, const std::wstring& name,
                      const std::optional<RegistryValue>& value) override;
    LONG deleteKeyTree(HKEY parent, const std::wstring& subKey) override;

private:
    struct Fault {
        RegistryCall call;
        std::wstring name;
        LONG result;
        int occurrence;
        int seen = 0;
    };
    // The injected code for this call, or ERROR_SUCCESS to pass it through.
    LONG injected(RegistryCall call, const std::wstring& name);
    // ERROR_ACCESS_DENIED for a change once stopped, else the injected code.
    LONG change(RegistryCall call, const std::wstring& name);
    // Notes the call as `seen` followed by the name, then gives its injected code.
    LONG note(RegistryCall call, const std::wstring& name, const std::string& seen);

    SystemRegistry system_;
    std::vector<Fault> faults_;
    std::vector<std::string> calls_;
    std::vector<Write> writes_;
    bool* stopped_ = nullptr;
};

}  // namespace kastrell
