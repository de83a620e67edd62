#include "platform/automation/dispatch.h"

namespace plat {

namespace {

unsigned char fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

}  // namespace

EOleException::EOleException(std::string member, std::string description, std::string source)
    : EOleError(member + ": " + description),
      member_(std::move(member)),
      description_(std::move(description)),
      source_(std::move(source)) {}

EOleSysError::EOleSysError(const std::string& message, int32_t errorCode)
    : EOleError(message), errorCode_(errorCode) {}

Variant Dispatch::Invoke(std::string_view name, DispatchKind kind, DispArgs args) {
    try {
        return DoInvoke(name, kind, args);
    } catch (const EOleError&) {
        throw;
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        throw EOleException(std::string(name), e.what(), DispatchName());
    }
}

Variant Dispatch::Get(std::string_view name) {
    return Invoke(name, DispatchKind::PropertyGet, {});
}

void Dispatch::Put(std::string_view name, const Variant& value) {
    Variant v = value;
    Invoke(name, DispatchKind::PropertyPut, DispArgs(&v, 1));
}

size_t DispatchObject::Hash::operator()(std::string_view s) const noexcept {
    size_t h = 1469598103934665603ull;
    for (unsigned char c : s) {
        h ^= fold(c);
        h *= 1099511628211ull;
    }
    return h;
}

bool DispatchObject::Equal::operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold((unsigned char)a[i]) != fold((unsigned char)b[i])) return false;
    return true;
}

DispatchObject::Member& DispatchObject::member(std::string_view name) {
    auto it = members_.find(name);
    if (it == members_.end()) it = members_.emplace(std::string(name), Member{}).first;
    return it->second;
}

bool DispatchObject::HasMember(std::string_view name) const {
    return members_.find(name) != members_.end();
}

void DispatchObject::Property(std::string_view name, Getter get, Setter set) {
    Member& m = member(name);
    m.method = {};
    m.get = [get = std::move(get)](DispArgs) { return get(); };
    m.set = set ? IndexedSetter([set = std::move(set)](DispArgs, const Variant& v) { set(v); })
                : IndexedSetter{};
    m.indexed = false;
    m.minArgs = m.maxArgs = 0;
}

void DispatchObject::IndexedProperty(std::string_view name, IndexedGetter get, IndexedSetter set,
                                     size_t minArgs, size_t maxArgs) {
    Member& m = member(name);
    m.method = {};
    m.get = std::move(get);
    m.set = std::move(set);
    m.indexed = true;
    m.minArgs = minArgs;
    m.maxArgs = maxArgs;
}

void DispatchObject::Method(std::string_view name, MethodFn fn, size_t minArgs, size_t maxArgs) {
    Member& m = member(name);
    m.method = std::move(fn);
    m.get = {};
    m.set = {};
    m.minArgs = minArgs;
    m.maxArgs = maxArgs;
}

Variant DispatchObject::DoInvoke(std::string_view name, DispatchKind kind, DispArgs args) {
    auto it = members_.find(name);
    if (it == members_.end())
        throw EOleSysError("Unknown name: " + std::string(name) + " (" + name_ + ")", kUnknownName);
    const Member& m = it->second;
    auto checkCount = [&](size_t n) {
        if (n < m.minArgs || n > m.maxArgs)
            throw EOleSysError(
                "Invalid number of parameters: " + std::string(name) + " (" + name_ + ")",
                kBadParamCount);
    };
    auto notA = [&](const char* what) -> EOleSysError {
        return EOleSysError(std::string(name) + " is not " + what + " (" + name_ + ")",
                            kMemberNotFound);
    };
    switch (kind) {
        case DispatchKind::PropertyPut: {
            if (!m.set) throw notA("a writable property");
            if (args.empty())
                throw EOleSysError(
                    "Invalid number of parameters: " + std::string(name) + " (" + name_ + ")",
                    kBadParamCount);
            DispArgs index = args.first(args.size() - 1);
            checkCount(index.size());
            m.set(index, args.back());
            return Variant();
        }
        case DispatchKind::PropertyGet:
        case DispatchKind::Method:
            if (m.method) {
                checkCount(args.size());
                return m.method(args);
            }
            if (!m.get) throw notA("readable");
            checkCount(args.size());
            return m.get(args);
    }
    return Variant();
}

DispatchPtr VarToDispatch(const Variant& v) {
    if (v.IsDispatch() && !v.IsArray()) {
        if (DispatchPtr d = v.AsDispatch()) return d;
    }
    throw EOleError("Variant does not reference an automation object");
}

}  // namespace plat
