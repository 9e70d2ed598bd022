// Debian's OpenCASCADE 7.6 development packages leave out this header, which Poly_ArrayOfNodes.hxx
// and Poly_ArrayOfUVNodes.hxx include (and through them BRep_Builder.hxx and every modelling
// header). The build puts this folder on the include path only when the installed headers lack it.
//
// It declares an array of elements whose size (the stride) is chosen at run time, with the data
// members, in order, that the compiled OpenCASCADE libraries expect of it: the data, the stride,
// the count and whether the array owns its data. The libraries hold the out-of-line code; what
// is here is the inline part the node arrays need, with the same allocation (aligned, through
// Standard) so that an array made on either side can be released on the other.
#ifndef _NCollection_AliasedArray_HeaderFile
#define _NCollection_AliasedArray_HeaderFile

#include <Standard.hxx>
#include <Standard_DefineAlloc.hxx>
#include <Standard_OutOfMemory.hxx>
#include <Standard_OutOfRange.hxx>
#include <Standard_RangeError.hxx>
#include <Standard_TypeMismatch.hxx>

#include <cstring>
#include <utility>

template <int MyAlignSize = 16>
class NCollection_AliasedArray {
public:
    DEFINE_STANDARD_ALLOC

    explicit NCollection_AliasedArray(Standard_Integer theStride)
        : myData(nullptr)
        , myStride(theStride)
        , mySize(0)
        , myDeletable(false)
    {
        if (theStride <= 0)
            throw Standard_RangeError("NCollection_AliasedArray: the stride must be positive");
    }

    NCollection_AliasedArray(Standard_Integer theStride, Standard_Integer theLength)
        : myData(nullptr)
        , myStride(theStride)
        , mySize(theLength)
        , myDeletable(true)
    {
        if (theStride <= 0 || theLength <= 0)
            throw Standard_RangeError("NCollection_AliasedArray: the stride and length must be positive");
        allocate();
    }

    NCollection_AliasedArray(const NCollection_AliasedArray &theOther)
        : myData(nullptr)
        , myStride(theOther.myStride)
        , mySize(theOther.mySize)
        , myDeletable(false)
    {
        if (mySize > 0) {
            allocate();
            myDeletable = true;
            std::memcpy(myData, theOther.myData, SizeBytes());
        }
    }

    NCollection_AliasedArray(NCollection_AliasedArray &&theOther) noexcept
        : myData(theOther.myData)
        , myStride(theOther.myStride)
        , mySize(theOther.mySize)
        , myDeletable(theOther.myDeletable)
    {
        theOther.myDeletable = false;
    }

    // Wraps values held elsewhere, without copying or owning them.
    template <typename Type_t>
    NCollection_AliasedArray(const Type_t &theBegin, Standard_Integer theLength)
        : myData(reinterpret_cast<Standard_Byte *>(const_cast<Type_t *>(&theBegin)))
        , myStride(Standard_Integer(sizeof(Type_t)))
        , mySize(theLength)
        , myDeletable(false)
    {
        if (theLength <= 0)
            throw Standard_RangeError("NCollection_AliasedArray: the length must be positive");
    }

    ~NCollection_AliasedArray()
    {
        if (myDeletable)
            Standard::FreeAligned(myData);
    }

    Standard_Integer Stride() const { return myStride; }
    Standard_Integer Size() const { return mySize; }
    Standard_Integer Length() const { return mySize; }
    Standard_Boolean IsEmpty() const { return mySize == 0; }
    Standard_Integer Lower() const { return 0; }
    Standard_Integer Upper() const { return mySize - 1; }
    Standard_Boolean IsDeletable() const { return myDeletable; }
    Standard_Boolean IsAllocated() const { return myDeletable; }
    Standard_Size SizeBytes() const { return Standard_Size(myStride) * Standard_Size(mySize); }

    // Takes over the other array's data; the other keeps pointing at it but no longer owns it.
    NCollection_AliasedArray &Move(NCollection_AliasedArray &theOther)
    {
        if (&theOther != this) {
            if (myDeletable)
                Standard::FreeAligned(myData);
            myData = theOther.myData;
            myStride = theOther.myStride;
            mySize = theOther.mySize;
            myDeletable = theOther.myDeletable;
            theOther.myDeletable = false;
        }
        return *this;
    }

    NCollection_AliasedArray &operator=(NCollection_AliasedArray &&theOther) { return Move(theOther); }
    NCollection_AliasedArray &operator=(const NCollection_AliasedArray &) = delete;

    template <typename Type_t>
    const Type_t &Value(Standard_Integer theIndex) const
    {
        checkType(sizeof(Type_t));
        return *reinterpret_cast<const Type_t *>(at(theIndex));
    }

    template <typename Type_t>
    Type_t &ChangeValue(Standard_Integer theIndex)
    {
        checkType(sizeof(Type_t));
        return *reinterpret_cast<Type_t *>(at(theIndex));
    }

protected:
    Standard_Byte *myData;
    Standard_Integer myStride;
    Standard_Integer mySize;
    Standard_Boolean myDeletable;

private:
    void allocate()
    {
        myData = static_cast<Standard_Byte *>(Standard::AllocateAligned(SizeBytes(), MyAlignSize));
        if (myData == nullptr)
            throw Standard_OutOfMemory("NCollection_AliasedArray: allocation failed");
    }

    void checkType(Standard_Size theSize) const
    {
        if (theSize != Standard_Size(myStride))
            throw Standard_TypeMismatch("NCollection_AliasedArray: the element type does not match the stride");
    }

    Standard_Byte *at(Standard_Integer theIndex) const
    {
        if (theIndex < 0 || theIndex >= mySize)
            throw Standard_OutOfRange("NCollection_AliasedArray: index out of range");
        return myData + Standard_Size(myStride) * Standard_Size(theIndex);
    }
};

#endif
