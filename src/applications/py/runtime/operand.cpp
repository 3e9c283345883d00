#include "applications/py/runtime/operand.hpp"

#include <string>

#include "common/text.hpp"
#include "model/hw_component/slice_check.hpp"

namespace vorlent::py {

namespace {

// Assembles little-endian two's-complement bytes into limbs, sign-extending
// the last one.
WideInt limbs_from_le_bytes(const unsigned char* bytes, size_t n) {
    WideInt out;
    out.limbs.assign((n + 7) / 8, 0);
    const bool negative = n > 0 && (bytes[n - 1] & 0x80) != 0;
    for (size_t i = 0; i < out.limbs.size() * 8; ++i) {
        const uint64_t byte = i < n ? bytes[i] : (negative ? 0xFF : 0x00);
        out.limbs[i / 8] |= byte << (8 * (i % 8));
    }
    if (out.limbs.empty()) out.limbs.push_back(0);
    return out;
}

}  // namespace

CheckResult check_operand_slice(const ModelArena& m, std::string_view where, std::string_view param,
                                const std::optional<Slice>& slice, const PyOperand& operand,
                                std::string_view operand_name, int32_t int_width) {
    if (const HcpIdent* sig = operand.ident()) return check_slice_of(m, where, param, slice, *sig);
    if (!slice || slice_fault(*slice, int_width) == SliceFault::None) return std::nullopt;
    return check_slice_fits(where, param, *slice, format("int operand {}", operand_name),
                            int_width);
}

Slice int_operand_bits(const std::optional<Slice>& slice, int32_t width) {
    return slice && slice->is_usable() ? *slice : Slice::range(0, width);
}

bool read_wide_int(PyObject* obj, WideInt& out) {
    int overflow = 0;
    const long long small = PyLong_AsLongLongAndOverflow(obj, &overflow);
    if (small == -1 && PyErr_Occurred()) return false;
    if (overflow == 0) {
        out = WideInt::from_i64(small);
        return true;
    }
#if PY_VERSION_HEX >= 0x030D0000
    const int flags = Py_ASNATIVEBYTES_LITTLE_ENDIAN;
    const Py_ssize_t needed = PyLong_AsNativeBytes(obj, nullptr, 0, flags);
    if (needed < 0) return false;
    std::string buf(size_t(needed), '\0');
    if (PyLong_AsNativeBytes(obj, buf.data(), needed, flags) < 0) return false;
#else
    // Enough bytes for the magnitude plus a sign bit. These two are stable
    // for the interpreter versions that lack PyLong_AsNativeBytes.
    const size_t nbits = _PyLong_NumBits(obj);
    if (nbits == size_t(-1) && PyErr_Occurred()) return false;
    std::string buf(nbits / 8 + 1, '\0');
    if (_PyLong_AsByteArray(reinterpret_cast<PyLongObject*>(obj),
                            reinterpret_cast<unsigned char*>(buf.data()), buf.size(), 1, 1) < 0)
        return false;
#endif
    out = limbs_from_le_bytes(reinterpret_cast<const unsigned char*>(buf.data()), buf.size());
    return true;
}

bool FromPython<PyOperand>::convert(PyObject* obj, PyOperand& out) {
    if (value_of<HcpIdent>(obj)) {
        out.value = value_copy<HcpIdent>(obj);
        return true;
    }
    if (PyLong_Check(obj)) {
        WideInt v;
        if (!read_wide_int(obj, v)) return false;
        out.value = std::move(v);
        return true;
    }
    // Both alternatives failed: say why each did, as one TypeError.
    const std::string type = type_name_of(obj);
    const std::string ident_failure =
        obj == Py_None ? "'None' is not an instance of 'HcpIdent'"
                       : format("'{}' object is not an instance of 'HcpIdent'", type);
    const std::string int_failure = format("'{}' object is not an instance of 'int'", type);
    const std::string message = format(
        "failed to extract enum {} ('{}')"
        "\n- variant {} ({}): failed to extract field {}.{}, caused by TypeError: {}"
        "\n- variant {} ({}): failed to extract field {}.{}, caused by TypeError: {}",
        "PyOperand", "Ident | Int", "Ident", "Ident", "PyOperand::Ident", 0, ident_failure, "Int",
        "Int", "PyOperand::Int", 0, int_failure);
    PyErr_SetString(PyExc_TypeError, message.c_str());
    return false;
}

}  // namespace vorlent::py
