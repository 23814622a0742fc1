#include "varnholt/variables/variable.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>

#include "varnholt/base/capture_buffer.h"
#include "varnholt/base/white_space.h"
#include "varnholt/console/console.h"

namespace varnholt {

namespace {
bool substitute_value(const char* name, std::size_t length, char* destination);

// The list with its sentinel and the index of every linked variable by
// name, created together on first use and never destroyed: static
// variables unlink themselves from it as the process ends. Once there are
// variables, "$name" words stand for their values.
struct Registry {
    Registry() { set_substitution(substitute_value); }
    BaseVariable::List list {nullptr, nullptr, false, nullptr};
    BaseVariable::Index index;
};

Registry& registry()
{
    static Registry& instance = *new Registry;
    return instance;
}

// Writes the first line of the named variable's value, at most
// substituted_value_size - 1 characters and a zero, to `destination`.
bool substitute_value(const char* name, std::size_t length, char* destination)
{
    BaseVariable* variable = VariableList::find(name, length);
    if (!variable)
        return false;
    static CaptureBuffer buffer;
    static std::ostream value(&buffer);
    buffer.capture_into(destination, substituted_value_size - 1);
    value.clear();
    variable->print(value);
    const std::string_view text = buffer.text();
    *std::find(destination, destination + text.size(), '\n') = '\0';
    return true;
}

// What one formatted stream extraction in the C locale would give, without
// building a stream per value. Leading white space is skipped. A string
// takes the first word; a number stops at the first non-digit, is 0 when
// no digit begins the text and the nearest limit when out of range.
void extract(const char* text, std::string& value)
{
    while (is_c_space(*text))
        ++text;
    const char* end = text;
    while (*end && !is_c_space(*end))
        ++end;
    value.assign(text, end);
}

void extract(const char* text, int& value)
{
    while (is_c_space(*text))
        ++text;
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    constexpr std::int64_t past_limit = std::int64_t {std::numeric_limits<int>::max()} + 2;
    std::int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        magnitude = std::min(magnitude * 10 + (*text - '0'), past_limit);
    const std::int64_t signed_value = negative ? -magnitude : magnitude;
    value = static_cast<int>(std::clamp<std::int64_t>(signed_value, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
}

void extract(const char* text, bool& value)
{
    int number;
    extract(text, number);
    value = number != 0;
}

const char* type_of(const std::string&)
{
    return "string";
}

const char* type_of(int)
{
    return "int";
}

const char* type_of(bool)
{
    return "bool";
}

const char* type_of(const Timer&)
{
    return "timer";
}

void print_value(std::ostream& os, const std::string& value)
{
    os << value;
}

void print_value(std::ostream& os, int value)
{
    // What a default-formatted stream writes, without its number formatting
    // machinery: "$name" substitution prints a value per use.
    if ((os.flags() & (std::ios::basefield | std::ios::showpos)) != std::ios::dec || os.width() != 0) {
        os << value;
        return;
    }
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    os.write(digits, result.ptr - digits);
}

void print_value(std::ostream& os, bool value)
{
    os << (value ? 1 : 0);
}

void print_value(std::ostream& os, Timer& value)
{
    os << value.elapsed();
}

// The name as the user typed it; a list without words (a name that
// tokenizes to nothing when `set` shows it) falls back to the registered one.
const char* typed_name(const ArgList& args, const BaseVariable& variable)
{
    return args.argc > 0 && args.arg(0) ? args.arg(0) : variable.name();
}

void show_readonly(const ArgList& args, const BaseVariable& variable)
{
    console << typed_name(args, variable) << " is readonly" << std::endl;
}

bool is_name_character(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Whether a run of letters, digits and underscores in `text` names a secret
// variable. Whatever the console reads as a secret's name is such a run,
// whichever quotes, "$" signs, comment marks or blanks stand around it.
bool names_secret(const char* text, const char* end)
{
    for (const char* p = text; p < end;) {
        const char* word = p;
        while (p < end && is_name_character(*p))
            ++p;
        if (p == word) {
            ++p;
            continue;
        }
        const BaseVariable* variable = VariableList::find(word, static_cast<std::size_t>(p - word));
        if (variable && variable->secret())
            return true;
    }
    return false;
}
}

BaseVariable::BaseVariable(const char* name, const char* kind, bool persistent, const char* description)
    : Function(name, kind, description), persistent_(persistent)
{
    if (name && !waiting() && *this->description())
        link_variable();
}

void BaseVariable::enroll()
{
    Function::enroll();
    if (*description())
        link_variable();
}

void BaseVariable::changed()
{
    if (on_change)
        on_change(*this);
}

void BaseVariable::link_variable()
{
    registry().list.append(*this);
    registry().index.insert(*this);
}

BaseVariable::~BaseVariable()
{
    // The sentinel and unnamed variables were never linked.
    if (List::is_linked(*this)) {
        registry().index.erase(*this);
        registry().list.unlink(*this);
    }
}

std::ostream& BaseVariable::save(std::ostream& os)
{
    return os;
}

std::ostream& BaseVariable::print(std::ostream& os)
{
    return os;
}

bool BaseVariable::set_from_string(const char*)
{
    return false;
}

void BaseVariable::reset_to_default()
{
}

template <typename T>
Variable<T>::Variable(const char* name, const T& initial, bool persistent, const char* description,
                      ChangeCallback callback)
    : BaseVariable(name, "Variable", persistent, description), value(initial), default_value(initial)
{
    on_change = callback;
}

template <typename T>
void Variable<T>::exec(ArgList& args)
{
    if (args.argc >= 2) {
        set_from_string(args.arg(1));
        return;
    }
    console << typed_name(args, *this) << ": ";
    print(console) << "    default: ";
    print_value(console, default_value);
    console << std::endl;
}

template <typename T>
std::ostream& Variable<T>::save(std::ostream& os)
{
    os << "set " << name() << " \"";
    return print(os) << "\"\n";
}

template <typename T>
std::ostream& Variable<T>::print(std::ostream& os)
{
    print_value(os, value);
    return os;
}

template <typename T>
std::ostream& Variable<T>::print_unhidden(std::ostream& os)
{
    print_value(os, value);
    return os;
}

template <typename T>
bool Variable<T>::set_from_string(const char* text)
{
    if (!text)
        return false;
    T parsed;
    extract(text, parsed);
    return set_value(parsed);
}

template <typename T>
void Variable<T>::reset_to_default()
{
    if (value == default_value)
        return;
    value = default_value;
    changed();
}

template <typename T>
bool Variable<T>::set_value(const T& v)
{
    T stored = v;
    if constexpr (std::is_same_v<T, int>) {
        if (range_ && (v < range_->min || v > range_->max)) {
            console << name() << " must be between " << range_->min << " and " << range_->max;
            if (!range_->clamp) {
                console << ", not " << v << std::endl;
                return false;
            }
            stored = std::clamp(v, range_->min, range_->max);
            console << ", " << stored << " stored instead of " << v << std::endl;
        }
    }
    if (stored == value)
        return true;
    value = stored;
    changed();
    return true;
}

template <typename T>
const char* Variable<T>::value_type() const
{
    return type_of(value);
}

template <typename T>
ConstVariable<T>::ConstVariable(const char* name, const T& initial, bool persistent, const char* description)
    : Variable<T>(name, initial, persistent, description)
{
}

template <typename T>
void ConstVariable<T>::exec(ArgList& args)
{
    if (args.argc >= 2 && console.is_startup_complete())
        show_readonly(args, *this);
    else
        Variable<T>::exec(args);
}

template <typename T>
bool ConstVariable<T>::set_from_string(const char* text)
{
    return !console.is_startup_complete() && Variable<T>::set_from_string(text);
}

template <typename T>
ReadOnlyVariable<T>::ReadOnlyVariable(const char* name, const T& initial, bool persistent, const char* description)
    : BaseVariable(name, "ReadOnlyVariable", persistent, description), value(initial)
{
}

template <typename T>
const char* ReadOnlyVariable<T>::value_type() const
{
    return type_of(value);
}

template <typename T>
void ReadOnlyVariable<T>::exec(ArgList& args)
{
    if (args.argc >= 2) {
        show_readonly(args, *this);
        return;
    }
    console << typed_name(args, *this) << ": ";
    print(console) << std::endl;
}

template <typename T>
std::ostream& ReadOnlyVariable<T>::print(std::ostream& os)
{
    print_value(os, value);
    return os;
}

template class Variable<std::string>;
template class Variable<int>;
template class Variable<bool>;
template class ConstVariable<std::string>;
template class ReadOnlyVariable<std::string>;
template class ReadOnlyVariable<Timer>;

BaseVariable& VariableList::head()
{
    return registry().list.head();
}

BaseVariable* VariableList::find(const char* name)
{
    return name ? registry().index.find(name_key(name)) : nullptr;
}

BaseVariable* VariableList::find(const char* name, std::size_t length)
{
    return name ? registry().index.find(name_key(name, length)) : nullptr;
}

bool VariableList::set_by_name(const char* name, const char* text)
{
    BaseVariable* variable = find(name);
    if (!variable)
        return false;
    variable->set_from_string(text);
    return true;
}

bool VariableList::reset_by_name(const char* name)
{
    BaseVariable* variable = find(name);
    if (!variable)
        return false;
    variable->reset_to_default();
    return true;
}

bool VariableList::may_set_secret(const char* line)
{
    if (!line)
        return false;
    const char* const end = line + std::strlen(line);
    if (names_secret(line, end))
        return true;
    // A "$name" word stands for the variable's value, which may name the
    // secret itself. The name ends where the tokenizer ends a word.
    for (const char* p = line; (p = std::strchr(p, '$'));) {
        const char* name = ++p;
        while (*p && !is_c_space(*p) && *p != '"' && !(p[0] == '/' && p[1] == '/'))
            ++p;
        BaseVariable* variable = find(name, static_cast<std::size_t>(p - name));
        if (!variable)
            continue;
        std::ostringstream value;
        variable->print(value);
        const std::string text = value.str();
        if (names_secret(text.data(), text.data() + text.size()))
            return true;
    }
    return false;
}

}  // namespace varnholt
