// Late-bound objects: properties read and written and methods called by
// name, with arguments the callee may write back (by reference). The host's
// work-centre object, the suite servers and the spreadsheet application are
// reached only through this interface; a Variant holds one as Dispatch.
//
// Implementing an object: derive from DispatchObject and declare its
// members in the constructor:
//
//   class Counter : public plat::DispatchObject {
//   public:
//       Counter() : DispatchObject("Counter") {
//           Property("Value", [this] { return plat::Variant(value_); },
//                             [this](const plat::Variant& v) { value_ = v.AsInteger(); });
//           Method("Next", [this](plat::DispArgs a) { a[0] = ++value_; return plat::Variant(true);
//           }, 1);
//       }
//   private:
//       int value_ = 0;
//   };
//
// Calling: obj->Get("Value"), obj->Put("Value", 3), obj->Call("Next", out)
// (out, a Variant lvalue, receives what the callee wrote into it).
#pragma once
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/variant.h"

namespace plat {

// A failing call on a late-bound object: the member's name, and the text of
// the object's own error.
class EOleException : public EOleError {
  public:
    EOleException(std::string member, std::string description, std::string source = {});
    const char* ClassName() const override { return "EOleException"; }
    const std::string& Member() const { return member_; }
    const std::string& Description() const { return description_; }
    const std::string& Source() const { return source_; }

  private:
    std::string member_, description_, source_;
};

// An error of the object system itself, with its status code (an unknown
// ProgID: "Invalid class string", 0x800401F3).
class EOleSysError : public EOleError {
  public:
    EOleSysError(const std::string& message, int32_t errorCode);
    const char* ClassName() const override { return "EOleSysError"; }
    int32_t ErrorCode() const { return errorCode_; }

  private:
    int32_t errorCode_;
};

constexpr int32_t kInvalidClassString = (int32_t)0x800401F3;
constexpr int32_t kUnknownName = (int32_t)0x80020006;
constexpr int32_t kBadParamCount = (int32_t)0x8002000E;
constexpr int32_t kMemberNotFound = (int32_t)0x80020003;

enum class DispatchKind { Method, PropertyGet, PropertyPut };

// Arguments in call order; the callee may assign to them.
using DispArgs = std::span<Variant>;

class Dispatch : public std::enable_shared_from_this<Dispatch> {
  public:
    virtual ~Dispatch() = default;

    // A name for messages ("Excel.Application", "Counter").
    virtual std::string DispatchName() const { return "Automation object"; }
    // Whether the object answers to the name (without calling it).
    virtual bool HasMember(std::string_view name) const = 0;

    // The one entry point. A property get may take arguments (an indexed
    // property); a put takes the value last. Errors: EOleSysError for an
    // unknown name or a wrong number of arguments, EOleException for a
    // failure inside the member (its text and the member's name);
    // EAbort passes through unchanged.
    Variant Invoke(std::string_view name, DispatchKind kind, DispArgs args);

    Variant Get(std::string_view name);
    template <class... A>
    Variant GetIndexed(std::string_view name, A&&... args) {
        return invokeWithWriteBack(name, DispatchKind::PropertyGet, std::forward<A>(args)...);
    }
    void Put(std::string_view name, const Variant& value);
    template <class... A>
    void PutIndexed(std::string_view name, const Variant& value, A&&... index) {
        std::vector<Variant> args{Variant(std::forward<A>(index))..., value};
        Invoke(name, DispatchKind::PropertyPut, args);
    }
    // Calls a method; arguments given as Variant lvalues receive what the
    // callee wrote into them (by reference); others are passed by value.
    template <class... A>
    Variant Call(std::string_view name, A&&... args) {
        return invokeWithWriteBack(name, DispatchKind::Method, std::forward<A>(args)...);
    }
    // Calls with an argument list the caller reads back afterwards.
    Variant CallArgs(std::string_view name, std::vector<Variant>& args) {
        return Invoke(name, DispatchKind::Method, args);
    }

  protected:
    virtual Variant DoInvoke(std::string_view name, DispatchKind kind, DispArgs args) = 0;

  private:
    template <class A>
    static void writeBack(A&& target, const Variant& value) {
        if constexpr (std::is_same_v<A, Variant&>) target = value;
    }
    template <class... A>
    Variant invokeWithWriteBack(std::string_view name, DispatchKind kind, A&&... args) {
        std::vector<Variant> list{Variant(args)...};
        Variant result = Invoke(name, kind, list);
        [[maybe_unused]] size_t i = 0;
        (writeBack(std::forward<A>(args), list[i++]), ...);
        return result;
    }
};

// An object whose members are declared in a table: names without regard to
// case; a method may also be read as a property (called without arguments)
// and a property called as a method.
class DispatchObject : public Dispatch {
  public:
    using Getter = std::function<Variant()>;
    using Setter = std::function<void(const Variant&)>;
    using IndexedGetter = std::function<Variant(DispArgs)>;
    using IndexedSetter = std::function<void(DispArgs, const Variant&)>;
    using MethodFn = std::function<Variant(DispArgs)>;

    explicit DispatchObject(std::string name) : name_(std::move(name)) {}

    std::string DispatchName() const override { return name_; }
    bool HasMember(std::string_view name) const override;

  protected:
    // A property without setter is read-only; writing it raises.
    void Property(std::string_view name, Getter get, Setter set = {});
    // A property that takes index arguments (Cells(row, col)).
    void IndexedProperty(std::string_view name, IndexedGetter get, IndexedSetter set = {},
                         size_t minArgs = 1, size_t maxArgs = SIZE_MAX);
    // A method; calls with fewer than minArgs or more than maxArgs
    // arguments raise before the method runs.
    void Method(std::string_view name, MethodFn fn, size_t minArgs = 0, size_t maxArgs = SIZE_MAX);

    Variant DoInvoke(std::string_view name, DispatchKind kind, DispArgs args) override;

  private:
    struct Member {
        IndexedGetter get;
        IndexedSetter set;
        MethodFn method;
        size_t minArgs = 0, maxArgs = 0;  // for get and method
        bool indexed = false;
    };
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const noexcept;
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept;
    };
    Member& member(std::string_view name);

    std::string name_;
    std::unordered_map<std::string, Member, Hash, Equal> members_;
};

// The object held by a variant; EOleError ("Variant does not reference an
// automation object") for anything else, Empty and Null included.
DispatchPtr VarToDispatch(const Variant& v);

}  // namespace plat
