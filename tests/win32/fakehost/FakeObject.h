#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "com/ComObject.h"
#include "win32/outlook/LateBound.h"

namespace fakehost {

using win32::LateValue;

// An object of the fake mail client, reached only late-bound as the real
// client's are: named members with dispatch identifiers, the interfaces of
// its kind (answered with its IDispatch, whose layout is all a caller may
// rely on), and connection points whose sinks it asks for the event
// interface before advising them and calls with IDispatch::Invoke.
class FakeObject final : public com::ComObject<IDispatch, IConnectionPointContainer> {
public:
    // Arguments in the order the caller wrote them.
    using Method = std::function<LateValue(std::vector<VARIANT>& arguments)>;
    using Setter = std::function<void(const VARIANT& value)>;

    explicit FakeObject(std::vector<IID> kinds = {});
    ~FakeObject() override;

    // A property or method answered by get; set makes it writable.
    void Member(const std::u16string& name, DISPID id, Method get, Setter set = nullptr);
    // A property kept by the object: read and written as a value.
    void Property(const std::u16string& name, DISPID id, LateValue initial);
    const LateValue& Value(const std::u16string& name) const;
    // How often a member was called or read, and how often a name was looked up.
    int Calls(const std::u16string& name) const;
    int NameLookups() const { return nameLookups_; }
    // The arguments of the member's last call, in written order.
    const std::vector<LateValue>& LastArguments() const { return lastArguments_; }

    void AddEvents(const IID& events);
    std::size_t SinkCount(const IID& events) const;
    // Calls every sink advised for the events; arguments in written order.
    // The result is the last sink's.
    HRESULT Fire(const IID& events, DISPID id, std::vector<VARIANT> arguments);

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argErr) override;
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

protected:
    void* Find(REFIID iid) override;

private:
    struct Entry {
        std::u16string Name;
        Method Get;
        Setter Set;
        int Calls = 0;
    };
    class Point;

    std::vector<IID> kinds_;
    std::map<DISPID, Entry> members_;
    std::map<std::u16string, std::unique_ptr<LateValue>> values_;
    std::vector<com::ComPtr<Point>> points_;
    int nameLookups_ = 0;
    std::vector<LateValue> lastArguments_;
};

// A fake object made and held by the caller.
com::ComPtr<FakeObject> MakeFake(std::vector<IID> kinds = {});

}  // namespace fakehost
