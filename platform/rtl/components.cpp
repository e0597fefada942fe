// Class-name chain, published-property lookup and the component owner tree.
#include "platform/rtl/components.h"

#include <algorithm>

#include "platform/rtl/sysutils.h"

// ---------------------------------------------------------------------------
bool TClassInfo::InheritsFrom(const TClassInfo* other) const {
  for (const TClassInfo* c = this; c; c = c->parent_)
    if (c == other) return true;
  return false;
}

bool TClassInfo::InheritsFromName(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->parent_)
    if (SameText(c->name_, name)) return true;
  return false;
}

void TClassInfo::EnsurePublished() const {
  std::call_once(once_, [this] {
    if (publish_) publish_(const_cast<TClassInfo&>(*this));
  });
}

const std::vector<TPropInfo>& TClassInfo::OwnProps() const {
  EnsurePublished();
  return props_;
}

const TPropInfo* TClassInfo::FindProp(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->parent_)
    for (const TPropInfo& p : c->OwnProps())
      if (SameText(p.Name, name)) return &p;
  return nullptr;
}

const TClassInfo& TObject::StaticClassInfo() {
  static const TClassInfo info("TObject", nullptr);
  return info;
}

bool TObject::ClassNameIs(std::string_view name) const { return SameText(ClassName(), name); }

void TPersistent::Assign(const TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  throw EConvertError(AnsiString("Cannot assign a nil to a ") + ClassName());
}

void TPersistent::AssignTo(TPersistent* dest) const {
  throw EConvertError(AnsiString("Cannot assign a ") + ClassName() + " to a " +
                      (dest ? dest->ClassName() : "nil"));
}

// ---------------------------------------------------------------------------
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name) {
  return obj ? obj->ClassInfo().FindProp(name) : nullptr;
}

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name, TTypeKind kind) {
  const TPropInfo* p = GetPropInfo(obj, name);
  return (p && p->Kind == kind) ? p : nullptr;
}

bool IsPublishedProp(const TObject* obj, std::string_view name) {
  return GetPropInfo(obj, name) != nullptr;
}

std::vector<const TPropInfo*> GetPropList(const TObject* obj) {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = obj ? &obj->ClassInfo() : nullptr; c; c = c->Parent()) chain.push_back(c);
  std::vector<const TPropInfo*> out;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const TPropInfo& p : (*it)->OwnProps()) out.push_back(&p);
  return out;
}

AnsiString GetStrProp(const TObject* obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  return (p && p->GetStr) ? p->GetStr(obj) : AnsiString();
}

bool SetStrProp(TObject* obj, std::string_view name, const AnsiString& value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !p->SetStr) return false;
  p->SetStr(obj, value);
  return true;
}

int64_t GetOrdProp(const TObject* obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  return (p && p->GetOrd) ? p->GetOrd(obj) : 0;
}

bool SetOrdProp(TObject* obj, std::string_view name, int64_t value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p || !p->SetOrd) return false;
  p->SetOrd(obj, value);
  return true;
}

TObject* GetObjectProp(const TObject* obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  return (p && p->GetObj) ? p->GetObj(obj) : nullptr;
}

bool SetObjectProp(TObject* obj, std::string_view name, TObject* value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  return p && p->SetObj && p->SetObj(obj, value);
}

std::any GetMethodProp(const TObject* obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  return (p && p->GetMethod) ? p->GetMethod(obj) : std::any();
}

bool SetMethodProp(TObject* obj, std::string_view name, const std::any& value) {
  const TPropInfo* p = GetPropInfo(obj, name);
  return p && p->SetMethod && p->SetMethod(obj, value);
}

// ---------------------------------------------------------------------------
void TComponent::PublishProperties(TClassInfo& ci) {
  PublishString<TComponent>(ci, "Name", &TComponent::Name, &TComponent::SetName);
  PublishInteger<TComponent>(ci, "Tag", &TComponent::Tag, &TComponent::SetTag);
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() { Detach(); }

void TComponent::Free() {
  if (!detached_) BeforeDestruction();
  Detach();
  delete this;
}

void TComponent::Detach() {
  if (detached_) return;
  detached_ = true;
  Destroying();
  while (!freeNotifies_.empty()) {
    TComponent* c = freeNotifies_.back();
    freeNotifies_.pop_back();
    auto& back = c->freeNotifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    c->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

namespace {
bool IsValidIdent(std::string_view s) {
  if (s.empty()) return false;
  auto first = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!first(s[0])) return false;
  for (char c : s.substr(1))
    if (!first(c) && !IsDigit(c)) return false;
  return true;
}
}  // namespace

void TComponent::SetName(const AnsiString& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError("'" + name + "' is not a valid component name");
  if (owner_ && !name.empty()) {
    TComponent* other = owner_->FindComponent(name);
    if (other && other != this) throw EComponentError("A component named " + name + " already exists");
  }
  name_ = name;
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return components_[index];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& v = owner_->components_;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* c) {
  if (!c || c->owner_ == this) return;
  if (!c->name_.empty() && FindComponent(c->name_))
    throw EComponentError("A component named " + c->name_ + " already exists");
  if (c->owner_) c->owner_->RemoveComponent(c);
  components_.push_back(c);
  c->owner_ = this;
  if (HasState(csDesigning)) c->state_ |= csDesigning;
  Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  if (!c || c->owner_ != this) return;
  Notification(c, opRemove);
  components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
  c->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  // Last inserted first; each removal is announced to the remaining ones so
  // that none of them keeps a pointer to a freed sibling.
  while (!components_.empty()) {
    TComponent* c = components_.back();
    c->Free();
    if (!components_.empty() && components_.back() == c) components_.pop_back();
  }
}

void TComponent::FreeNotification(TComponent* c) {
  if (!c || c == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), c) == freeNotifies_.end())
    freeNotifies_.push_back(c);
  if (std::find(c->freeNotifies_.begin(), c->freeNotifies_.end(), this) == c->freeNotifies_.end())
    c->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* c) {
  if (!c) return;
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), c), freeNotifies_.end());
  auto& back = c->freeNotifies_;
  back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void TComponent::Notification(TComponent* c, TOperation op) {
  if (op == opRemove && c) RemoveFreeNotification(c);
  // A receiver may free components while we walk; re-check the bound.
  for (size_t i = components_.size(); i-- > 0;)
    if (i < components_.size()) components_[i]->Notification(c, op);
}

void TComponent::BeginLoad() {
  state_ |= csLoading;
  for (TComponent* c : components_) c->BeginLoad();
}

void TComponent::EndLoad() {
  if (HasState(csLoading)) Loaded();
  for (size_t i = 0; i < components_.size(); ++i) components_[i]->EndLoad();
}

void TComponent::Loaded() { state_ &= ~static_cast<unsigned>(csLoading); }

void TComponent::Destroying() {
  if (HasState(csDestroying)) return;
  state_ |= csDestroying;
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::SetComponentStateFlag(TComponentStateFlag f, bool on) {
  if (on) state_ |= f;
  else state_ &= ~static_cast<unsigned>(f);
}
