#include "framework/text/UserPattern.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <array>

namespace orlenth::text {

namespace {

// Options the patterns were always compiled with: UTF-16 in Unicode mode, with \d, \w and
// the POSIX classes ASCII. Broken UTF-16 in a line (it cannot come from the decoder, but
// nothing here relies on that) matches no character instead of failing the line.
constexpr std::uint32_t kCompileOptions = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;

// Memory a match may use, besides the steps: the compiled matcher's stack, and the
// interpreter's heap (KiB) and nesting.
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 1024 * 1024;
constexpr std::uint32_t kHeapLimitKiB = 4 * 1024;
constexpr std::uint32_t kDepthLimit = 2'000;

QString errorMessage(int code) {
    std::array<PCRE2_UCHAR16, 256> buffer{};
    const int n = pcre2_get_error_message(code, buffer.data(), buffer.size());
    if (n < 0) return QStringLiteral("error %1").arg(code);
    return QString(reinterpret_cast<const QChar*>(buffer.data()), n);
}

struct CompileContext {
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    CompileContext() {
        if (context)
            pcre2_set_max_pattern_length(context, static_cast<PCRE2_SIZE>(UserPattern::kMaxLength));
    }
    ~CompileContext() { pcre2_compile_context_free(context); }
    CompileContext(const CompileContext&) = delete;
    CompileContext& operator=(const CompileContext&) = delete;
};

// Compiles or says why not. The caller owns the code.
pcre2_code* compile(const QString& pattern, QString* error, qsizetype* errorOffset) {
    if (error) error->clear();
    if (errorOffset) *errorOffset = -1;
    if (pattern.isEmpty()) {
        if (error) *error = QStringLiteral("empty pattern");
        return nullptr;
    }
    if (pattern.size() > UserPattern::kMaxLength) {
        if (error) *error = QStringLiteral("pattern longer than %1").arg(UserPattern::kMaxLength);
        return nullptr;
    }
    const CompileContext context;
    int code = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* compiled = pcre2_compile(reinterpret_cast<PCRE2_SPTR16>(pattern.utf16()),
                                         static_cast<PCRE2_SIZE>(pattern.size()), kCompileOptions,
                                         &code, &offset, context.context);
    if (!compiled) {
        if (error) *error = errorMessage(code);
        if (errorOffset) *errorOffset = static_cast<qsizetype>(offset);
    }
    return compiled;
}

} // namespace

struct UserPattern::State {
    pcre2_code* code = nullptr;
    pcre2_match_data* data = nullptr;
    pcre2_match_context* context = nullptr;
    pcre2_jit_stack* stack = nullptr;

    ~State() {
        pcre2_jit_stack_free(stack);
        pcre2_match_context_free(context);
        pcre2_match_data_free(data);
        pcre2_code_free(code);
    }
};

UserPattern::UserPattern(const QString& pattern) {
    pcre2_code* code = compile(pattern, &error_, &errorOffset_);
    if (!code) return;
    auto state = std::make_unique<State>();
    state->code = code;
    // Only the whole match is asked for: one pair of offsets.
    state->data = pcre2_match_data_create(1, nullptr);
    state->context = pcre2_match_context_create(nullptr);
    if (!state->data || !state->context) {
        error_ = QStringLiteral("out of memory");
        return;
    }
    // A pattern may refuse machine code ("(*NO_JIT)"): the matcher then interprets it.
    std::size_t jitSize = 0;
    const bool compiled = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0 &&
                          pcre2_pattern_info(code, PCRE2_INFO_JITSIZE, &jitSize) == 0 &&
                          jitSize > 0;
    if (compiled) {
        state->stack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
        if (state->stack) pcre2_jit_stack_assign(state->context, nullptr, state->stack);
    }
    pcre2_set_match_limit(state->context, compiled ? kMatchLimit : kInterpretedMatchLimit);
    pcre2_set_depth_limit(state->context, kDepthLimit);
    pcre2_set_heap_limit(state->context, kHeapLimitKiB);
    state_ = std::move(state);
}

UserPattern::~UserPattern() = default;
UserPattern::UserPattern(UserPattern&&) noexcept = default;
UserPattern& UserPattern::operator=(UserPattern&&) noexcept = default;

UserPattern::Result UserPattern::Match(QStringView subject) {
    if (!state_) return Result::NoMatch;
    const int rc =
        pcre2_match(state_->code, reinterpret_cast<PCRE2_SPTR16>(subject.utf16()),
                    static_cast<PCRE2_SIZE>(subject.size()), 0, 0, state_->data, state_->context);
    if (rc >= 0) return Result::Match;
    if (rc == PCRE2_ERROR_NOMATCH || rc == PCRE2_ERROR_PARTIAL) return Result::NoMatch;
    // The step, depth, heap or stack bound, or anything else a match can run into (no
    // memory): the line was not decided.
    return Result::GaveUp;
}

bool UserPattern::Check(const QString& pattern, QString* error, qsizetype* errorOffset) {
    pcre2_code* code = compile(pattern, error, errorOffset);
    pcre2_code_free(code);
    return code != nullptr;
}

} // namespace orlenth::text
