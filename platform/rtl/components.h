// Objects with a class-name chain, persistent objects and components.
//
// Every class of the object tree names itself with ORV_CLASS (or
// ORV_CLASS_PUBLISHED when it publishes properties); its TClassInfo links to
// the parent's, so ClassName, InheritsFrom and the published-property lookup
// by name walk that chain. Properties are looked up with letter case ignored
// ('A' to 'Z'); a missing property is never an error: getters answer empty,
// 0 or none, setters answer false.
//
// Components form owner trees: an owner frees what it owns, in reverse order
// of insertion (so a component with an owner must be created with new). Free notifications are mutual links: when either side goes,
// the other gets Notification(..., opRemove) and the link is dropped, so no
// component keeps a pointer to a freed one. Owners broadcast the insertion
// and removal of their components to all their components.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/rtl/exceptions.h"

class TObject;
class TPersistent;
class TClassInfo;

// The plain event: the sender only.
using TNotifyEvent = std::function<void(TObject* sender)>;

enum class TTypeKind { tkString, tkInteger, tkBool, tkSet, tkClass, tkMethod };

// One published property. Accessors that the property lacks are empty
// (a read-only property has no setter).
struct TPropInfo {
  AnsiString Name;
  TTypeKind Kind = TTypeKind::tkInteger;
  const TClassInfo* PropClass = nullptr;  // tkClass: the declared class
  std::function<AnsiString(const TObject*)> GetStr;
  std::function<void(TObject*, const AnsiString&)> SetStr;
  std::function<int64_t(const TObject*)> GetOrd;  // integer, Boolean (0/1), set (bit mask)
  std::function<void(TObject*, int64_t)> SetOrd;
  std::function<TObject*(const TObject*)> GetObj;
  std::function<bool(TObject*, TObject*)> SetObj;  // false when the object does not fit
  std::function<std::any(const TObject*)> GetMethod;
  std::function<bool(TObject*, const std::any&)> SetMethod;
};

class TClassInfo {
public:
  using Publisher = void (*)(TClassInfo&);
  TClassInfo(const char* name, const TClassInfo* parent, Publisher publish = nullptr)
      : name_(name), parent_(parent), publish_(publish) {}
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const char* Name() const { return name_; }
  const TClassInfo* Parent() const { return parent_; }
  bool InheritsFrom(const TClassInfo* other) const;
  // This class or an ancestor has that name (letter case ignored).
  bool InheritsFromName(std::string_view name) const;
  // The property of this class or the nearest ancestor, or null.
  const TPropInfo* FindProp(std::string_view name) const;
  // This class's own properties, in publishing order.
  const std::vector<TPropInfo>& OwnProps() const;

  // For the class's publisher function.
  void AddProp(TPropInfo p) { props_.push_back(std::move(p)); }

private:
  void EnsurePublished() const;
  const char* name_;
  const TClassInfo* parent_;
  Publisher publish_;
  mutable std::once_flag once_;
  mutable std::vector<TPropInfo> props_;
};

// Place first in a class body; the members that follow are public until the
// next access specifier.
#define ORV_CLASS(Name, Base)                                                  \
 public:                                                                       \
  static const TClassInfo& StaticClassInfo() {                                 \
    static const TClassInfo info(#Name, &Base::StaticClassInfo());             \
    return info;                                                               \
  }                                                                            \
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

// As ORV_CLASS; the class defines `static void PublishProperties(TClassInfo&)`
// (usually in its .cpp), called once on the first property lookup.
#define ORV_CLASS_PUBLISHED(Name, Base)                                        \
 public:                                                                       \
  static void PublishProperties(TClassInfo& ci);                               \
  static const TClassInfo& StaticClassInfo() {                                 \
    static const TClassInfo info(#Name, &Base::StaticClassInfo(), &Name::PublishProperties); \
    return info;                                                               \
  }                                                                            \
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

// Root of the class tree.
class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const TClassInfo& StaticClassInfo();
  virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
  const char* ClassName() const { return ClassInfo().Name(); }
  bool ClassNameIs(std::string_view name) const;
  bool InheritsFrom(const TClassInfo& cls) const { return ClassInfo().InheritsFrom(&cls); }
  bool InheritsFromName(std::string_view name) const { return ClassInfo().InheritsFromName(name); }
};

class TPersistent : public TObject {
  ORV_CLASS(TPersistent, TObject)
  // Copies `source` into this object. The base asks the source to
  // AssignTo this; when neither knows the other, raises EConvertError
  // "Cannot assign a <source class> to a <own class>".
  virtual void Assign(const TPersistent* source);

protected:
  virtual void AssignTo(TPersistent* dest) const;
};

// ---------------------------------------------------------------------------
// Published properties by name.

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name);
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name, TTypeKind kind);
bool IsPublishedProp(const TObject* obj, std::string_view name);
// All published properties, the root class's first.
std::vector<const TPropInfo*> GetPropList(const TObject* obj);

AnsiString GetStrProp(const TObject* obj, std::string_view name);
bool SetStrProp(TObject* obj, std::string_view name, const AnsiString& value);
int64_t GetOrdProp(const TObject* obj, std::string_view name);  // integer, Boolean or set
bool SetOrdProp(TObject* obj, std::string_view name, int64_t value);
TObject* GetObjectProp(const TObject* obj, std::string_view name);
bool SetObjectProp(TObject* obj, std::string_view name, TObject* value);
std::any GetMethodProp(const TObject* obj, std::string_view name);
bool SetMethodProp(TObject* obj, std::string_view name, const std::any& value);
// The event as its std::function type; empty when missing or of another type.
template <class F>
F GetEventProp(const TObject* obj, std::string_view name) {
  std::any a = GetMethodProp(obj, name);
  if (const F* f = std::any_cast<F>(&a)) return *f;
  return F();
}

// Publishing helpers for a class's PublishProperties. Getters are const
// member functions, setters member functions or nullptr (read-only).
namespace rtl_detail {
template <class C, class S, class V>
void CallSetter(S set, TObject* o, V&& v) {
  std::invoke(set, static_cast<C*>(o), std::forward<V>(v));
}
}  // namespace rtl_detail

template <class C, class G, class S>
void PublishString(TClassInfo& ci, const char* name, G get, S set) {
  TPropInfo p;
  p.Name = name;
  p.Kind = TTypeKind::tkString;
  p.GetStr = [get](const TObject* o) { return AnsiString(std::invoke(get, static_cast<const C*>(o))); };
  if constexpr (!std::is_null_pointer_v<S>)
    p.SetStr = [set](TObject* o, const AnsiString& v) { rtl_detail::CallSetter<C>(set, o, v); };
  ci.AddProp(std::move(p));
}

template <class C, class G, class S>
void PublishOrdinal(TClassInfo& ci, const char* name, TTypeKind kind, G get, S set) {
  TPropInfo p;
  p.Name = name;
  p.Kind = kind;
  p.GetOrd = [get](const TObject* o) {
    return static_cast<int64_t>(std::invoke(get, static_cast<const C*>(o)));
  };
  if constexpr (!std::is_null_pointer_v<S>) {
    using V = std::decay_t<decltype(std::invoke(get, std::declval<const C*>()))>;
    p.SetOrd = [set](TObject* o, int64_t v) {
      if constexpr (std::is_same_v<V, bool>) rtl_detail::CallSetter<C>(set, o, v != 0);
      else rtl_detail::CallSetter<C>(set, o, static_cast<V>(v));
    };
  }
  ci.AddProp(std::move(p));
}
template <class C, class G, class S>
void PublishInteger(TClassInfo& ci, const char* name, G get, S set) {
  PublishOrdinal<C>(ci, name, TTypeKind::tkInteger, get, set);
}
template <class C, class G, class S>
void PublishBool(TClassInfo& ci, const char* name, G get, S set) {
  PublishOrdinal<C>(ci, name, TTypeKind::tkBool, get, set);
}
// A set published as a bit mask (bit n = element n).
template <class C, class G, class S>
void PublishSet(TClassInfo& ci, const char* name, G get, S set) {
  PublishOrdinal<C>(ci, name, TTypeKind::tkSet, get, set);
}

// An object property of declared class T (a TObject descendant with
// StaticClassInfo); a setter accepts only objects of class T or a descendant.
template <class C, class T, class G, class S>
void PublishObject(TClassInfo& ci, const char* name, G get, S set) {
  TPropInfo p;
  p.Name = name;
  p.Kind = TTypeKind::tkClass;
  p.PropClass = &T::StaticClassInfo();
  p.GetObj = [get](const TObject* o) -> TObject* {
    return static_cast<TObject*>(std::invoke(get, static_cast<const C*>(o)));
  };
  if constexpr (!std::is_null_pointer_v<S>) {
    p.SetObj = [set](TObject* o, TObject* v) {
      T* t = v ? dynamic_cast<T*>(v) : nullptr;
      if (v && !t) return false;
      rtl_detail::CallSetter<C>(set, o, t);
      return true;
    };
  }
  ci.AddProp(std::move(p));
}

// An event: a public std::function member of the class.
template <class C, class F>
void PublishEvent(TClassInfo& ci, const char* name, F C::*member) {
  TPropInfo p;
  p.Name = name;
  p.Kind = TTypeKind::tkMethod;
  p.GetMethod = [member](const TObject* o) { return std::any(static_cast<const C*>(o)->*member); };
  p.SetMethod = [member](TObject* o, const std::any& v) {
    if (!v.has_value()) {
      static_cast<C*>(o)->*member = F();
      return true;
    }
    const F* f = std::any_cast<F>(&v);
    if (!f) return false;
    static_cast<C*>(o)->*member = *f;
    return true;
  };
  ci.AddProp(std::move(p));
}

// ---------------------------------------------------------------------------
enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
  csLoading = 1,
  csReading = 2,
  csWriting = 4,
  csDestroying = 8,
  csDesigning = 16,
  csUpdating = 32,
};
using TComponentState = unsigned;

class TComponent : public TPersistent {
  ORV_CLASS_PUBLISHED(TComponent, TPersistent)
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  // Frees the component while its whole class is still alive, so that
  // peers receive their removal notifications before any destructor runs.
  // Prefer it to a plain delete (which stays safe).
  void Free();

  TComponent* Owner() const { return owner_; }
  const AnsiString& Name() const { return name_; }
  // An identifier (letter or '_', then letters, digits, '_') or empty, unique
  // among the owner's components (letter case ignored); raises
  // EComponentError otherwise.
  void SetName(const AnsiString& name);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  // Raises EListError for an index outside 0..ComponentCount-1.
  TComponent* Components(int index) const;
  int ComponentIndex() const;
  // Owned component by name (letter case ignored), or null.
  TComponent* FindComponent(std::string_view name) const;
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  void DestroyComponents();

  // Asks that `c` be told (Notification opRemove) when this component is
  // freed, and this one when `c` is freed.
  void FreeNotification(TComponent* c);
  void RemoveFreeNotification(TComponent* c);

  TComponentState ComponentState() const { return state_; }
  bool HasState(TComponentStateFlag f) const { return (state_ & f) != 0; }
  // Loading brackets: BeginLoad marks this component and its components
  // csLoading; EndLoad calls Loaded on each of them (this one first).
  void BeginLoad();
  void EndLoad();

  // Sets csDestroying (for this and owned components).
  void Destroying();

  // Called for every insertion into and removal from this component's owner
  // tree, and for the free notifications; overrides call the base, which
  // passes it on to the owned components.
  virtual void Notification(TComponent* c, TOperation op);

protected:
  // After loading; the base clears csLoading.
  virtual void Loaded();
  // Called by Free first, while the whole class and every owned component
  // still exist (a plain delete skips it).
  virtual void BeforeDestruction() {}
  void SetComponentStateFlag(TComponentStateFlag f, bool on);

private:
  void Detach();  // notifications and removal from the owner; runs once
  void InsertInto(TComponent* c);
  void RemoveFrom(TComponent* c);

  TComponent* owner_ = nullptr;
  AnsiString name_;
  int tag_ = 0;
  TComponentState state_ = 0;
  bool detached_ = false;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};
