#include "freecad/shape_measure.h"

#include "platform/runtime_error.h"

#include <BRepGProp.hxx>
#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <BinTools.hxx>
#include <BinTools_LocationSet.hxx>
#include <BinTools_ShapeSet.hxx>
#include <GProp_GProps.hxx>
#include <Standard_Failure.hxx>
#include <TopAbs_ShapeEnum.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS_Shape.hxx>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tavik {

namespace {

// OpenCASCADE's readers trust their input: a damaged entry can make them read out of bounds or
// loop for ever. The shapes are therefore read and measured in a child process, which may take
// this long before it is given up.
constexpr int ChildSeconds = 120;

enum class BrepFormat { Text, Binary, Unknown };

// The readers look for their format's header line before the tables: the binary one begins
// with "Open", the text one with "CASCADE" (after a blank line, or a line naming the drawable,
// as other writers put it). The format is told from the bytes rather than from the entry's
// name, so that the text reader is never given binary tables.
BrepFormat formatOf(const QByteArray &bytes)
{
    qsizetype lineStart = 0;
    for (int line = 0; line < 4 && lineStart < bytes.size(); ++line) {
        qsizetype end = bytes.indexOf('\n', lineStart);
        if (end < 0)
            end = bytes.size();
        const QByteArray text = bytes.mid(lineStart, end - lineStart).trimmed();
        if (text.startsWith("Open CASCADE Topology V"))
            return BrepFormat::Binary;
        if (text.startsWith("CASCADE Topology V"))
            return BrepFormat::Text;
        lineStart = end + 1;
    }
    return BrepFormat::Unknown;
}

// Where the reading stands, even at the end of the stream (where tellg() would fail).
qsizetype positionOf(std::istream &in)
{
    return qsizetype(in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in));
}

// The binary shape set, refusing a sub-shape whose orientation byte is none of the four: the
// set stores it unchecked, and every later walk of the shape would index a table with it.
class CheckedShapeSet : public BinTools_ShapeSet {
public:
    void ReadSubs(TopoDS_Shape &shape, Standard_IStream &in, const Standard_Integer shapes) override
    {
        BinTools_ShapeSet::ReadSubs(shape, in, shapes);
        if (!shape.IsNull()
            && (int(shape.Orientation()) < TopAbs_FORWARD || int(shape.Orientation()) > TopAbs_EXTERNAL))
            throw Standard_Failure("a sub-shape's orientation is damaged");
    }
};

// FreeCAD writes a binary shape as the tables of OpenCASCADE's shape set followed by three
// integers of its own: the shape's index in the set (not above zero for a null shape), its
// location's index and its orientation. Anything else after the tables is not FreeCAD's: an
// empty optional. Damaged tables throw, whoever wrote them.
std::optional<TopoDS_Shape> readFreeCadBinary(std::istream &in, qsizetype size)
{
    CheckedShapeSet set;
    set.Read(in);
    if (size - positionOf(in) != 3 * qsizetype(sizeof(Standard_Integer)))
        return std::nullopt;
    Standard_Integer index = 0, location = 0, orientation = 0;
    BinTools::GetInteger(in, index);
    BinTools::GetInteger(in, location);
    BinTools::GetInteger(in, orientation);
    if (index <= 0)
        return TopoDS_Shape();
    if (index > set.NbShapes() || location < 0 || location > set.Locations().NbLocations()
        || orientation < TopAbs_FORWARD || orientation > TopAbs_EXTERNAL)
        throw Standard_Failure("the shape's reference lies outside its tables");
    TopoDS_Shape shape = set.Shape(index);
    shape.Location(set.Locations().Location(location));
    shape.Orientation(TopAbs_Orientation(orientation));
    return shape;
}

std::istringstream streamOf(const QByteArray &bytes)
{
    std::istringstream in(std::string(bytes.constData(), size_t(bytes.size())), std::ios::in | std::ios::binary);
    // Some of the readers' loops go on until a value they read says stop, and a failed stream
    // leaves that value as it was, for ever; a failing read throws instead. A stream that ran
    // dry before the shape was complete would leave a partial shape, with wrong measures.
    in.exceptions(std::ios::failbit | std::ios::badbit);
    return in;
}

// Some readers give up on a table they do not recognise without a word, leaving a null or
// partial shape and the rest of the bytes unread; a shape read whole leaves at most blanks (and
// the text reader leaves the "*" that stands for a null shape after empty tables).
void expectAllRead(std::istringstream &in, const QByteArray &bytes, const TopoDS_Shape &shape)
{
    const qsizetype at = positionOf(in);
    const QByteArray rest = at < 0 ? bytes : bytes.mid(at).trimmed();
    if (!rest.isEmpty() && !(shape.IsNull() && rest == "*"))
        throw Standard_Failure("it is damaged: its tables end too early");
}

// The shape an entry holds: a null shape for an empty entry, which is how a shape that holds
// nothing may be stored. Throws Standard_Failure or std::exception.
TopoDS_Shape readShape(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    const BrepFormat format = formatOf(bytes);
    if (format == BrepFormat::Unknown)
        throw Standard_Failure("it is not an OpenCASCADE shape");
    std::istringstream in = streamOf(bytes);
    TopoDS_Shape shape;
    if (format == BrepFormat::Text) {
        BRepTools::Read(shape, in, BRep_Builder());
        expectAllRead(in, bytes, shape);
        return shape;
    }
    // OpenCASCADE's own layout, its shape set's reference after the same tables, is its reader's.
    if (std::optional<TopoDS_Shape> freeCad = readFreeCadBinary(in, bytes.size()))
        return *freeCad;
    std::istringstream again = streamOf(bytes);
    BinTools::Read(shape, again);
    expectAllRead(again, bytes, shape);
    return shape;
}

struct Totals {
    double volume = 0;
    double area = 0;
    std::array<double, 3> moment{}; // volume times centre of mass, summed
};

// Default settings throughout, as FreeCAD's Shape.Volume and Shape.Area use them: exact geometry
// rather than a triangulation, faces shared by two solids counted for each.
void addSolids(const TopoDS_Shape &shape, Totals &totals)
{
    for (TopExp_Explorer solids(shape, TopAbs_SOLID); solids.More(); solids.Next()) {
        GProp_GProps volume;
        BRepGProp::VolumeProperties(solids.Current(), volume);
        totals.volume += volume.Mass();
        if (volume.Mass() != 0) { // a flat solid has no centre of its own
            const gp_Pnt centre = volume.CentreOfMass();
            totals.moment[0] += volume.Mass() * centre.X();
            totals.moment[1] += volume.Mass() * centre.Y();
            totals.moment[2] += volume.Mass() * centre.Z();
        }
        GProp_GProps surface;
        BRepGProp::SurfaceProperties(solids.Current(), surface);
        totals.area += surface.Mass();
    }
}

// What the child tells its parent, in order: Started before each entry, then either Failed
// (with the entry's number, what failed and why) or Done with the totals.
enum Record : char { Started = 'S', Failed = 'F', Done = 'D' };
enum Stage : char { Reading = 'r', Measuring = 'm' };

bool writeAll(int fd, const void *data, size_t size)
{
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

[[noreturn]] void runChild(const std::vector<std::pair<QString, QByteArray>> &shapes, int fd)
{
    // A crash handler of the parent's has nothing to do here: a crash is the parent's to report.
    for (int crash : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        std::signal(crash, SIG_DFL);
    // The readers report trouble on standard output and error; the parent's are not theirs.
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
    }
    Totals totals;
    for (size_t index = 0; index < shapes.size(); ++index) {
        const auto entry = quint32(index);
        const char started = Started;
        writeAll(fd, &started, 1);
        writeAll(fd, &entry, sizeof entry);
        Stage stage = Reading;
        std::string why;
        try {
            const TopoDS_Shape shape = readShape(shapes[index].second);
            stage = Measuring;
            if (!shape.IsNull())
                addSolids(shape, totals);
            continue;
        } catch (const Standard_Failure &failure) {
            // Some failures carry no message; their kind (Standard_NullObject, ...) says enough.
            why = *failure.GetMessageString() ? failure.GetMessageString() : failure.DynamicType()->Name();
        } catch (const std::ios_base::failure &) {
            why = "it is damaged or cut short";
        } catch (const std::bad_alloc &) {
            why = "it asks for more memory than there is";
        } catch (const std::exception &e) {
            why = e.what();
        }
        const char failed = Failed;
        const auto length = quint32(why.size());
        writeAll(fd, &failed, 1);
        writeAll(fd, &entry, sizeof entry);
        writeAll(fd, &stage, 1);
        writeAll(fd, &length, sizeof length);
        writeAll(fd, why.data(), why.size());
        ::_exit(0);
    }
    const char done = Done;
    writeAll(fd, &done, 1);
    writeAll(fd, &totals, sizeof totals);
    ::_exit(0);
}

// Reads what the child wrote until it closes its end; false when the deadline passes first (or
// the pipe fails), and the child is to be stopped.
bool readChild(int fd, QByteArray &out)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(ChildSeconds);
    char buffer[4096];
    for (;;) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0; // the end: the child has exited (or closed the pipe and will)
        out.append(buffer, n);
    }
}

// Takes a value of type T from the front of the child's record stream.
template <typename T>
bool take(QByteArray &records, T &value)
{
    if (records.size() < qsizetype(sizeof(T)))
        return false;
    std::memcpy(&value, records.constData(), sizeof(T));
    records.remove(0, sizeof(T));
    return true;
}

} // namespace

ShapeMeasure measureSolids(const std::vector<std::pair<QString, QByteArray>> &shapes)
{
    if (shapes.empty())
        return {};
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw RuntimeError(err::Automation,
            QStringLiteral("The shapes cannot be measured: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(ends[0]);
        ::close(ends[1]);
        throw RuntimeError(err::Automation,
            QStringLiteral("The shapes cannot be measured: %1").arg(QString::fromLocal8Bit(std::strerror(error))));
    }
    if (child == 0) {
        ::close(ends[0]);
        runChild(shapes, ends[1]);
    }
    ::close(ends[1]);
    QByteArray records;
    const bool finished = readChild(ends[0], records);
    ::close(ends[0]);
    if (!finished)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }

    // The last entry the child started is the one it stopped on, if it stopped.
    std::optional<quint32> current;
    auto entryName = [&](quint32 index) {
        return index < shapes.size() ? shapes[index].first : QStringLiteral("#%1").arg(index + 1);
    };
    for (;;) {
        char record = 0;
        if (!take(records, record))
            break;
        quint32 index = 0;
        if (record == Started && take(records, index)) {
            current = index;
            continue;
        }
        Totals totals;
        if (record == Done && take(records, totals)) {
            ShapeMeasure measure;
            measure.volume = totals.volume;
            measure.area = totals.area;
            if (totals.volume != 0)
                for (int axis = 0; axis < 3; ++axis)
                    measure.centreOfMass[axis] = totals.moment[axis] / totals.volume;
            return measure;
        }
        char stage = 0;
        quint32 length = 0;
        if (record == Failed && take(records, index) && take(records, stage) && take(records, length)
            && records.size() >= qsizetype(length)) {
            const QString why = QString::fromLocal8Bit(records.left(length));
            const QString text = stage == Reading ? QStringLiteral("The shape %1 cannot be read: %2")
                                                  : QStringLiteral("The shape %1 cannot be measured: %2");
            throw RuntimeError(err::Automation, text.arg(entryName(index), why));
        }
        break;
    }
    QString what = !finished  ? QStringLiteral("reading it took longer than %1 s").arg(ChildSeconds)
        : WIFSIGNALED(status) ? QStringLiteral("the reader failed on it (signal %1)").arg(WTERMSIG(status))
                              : QStringLiteral("the reader stopped without a result");
    if (current)
        throw RuntimeError(
            err::Automation, QStringLiteral("The shape %1 cannot be read: %2").arg(entryName(*current), what));
    throw RuntimeError(err::Automation, QStringLiteral("The shapes cannot be measured: %1").arg(what));
}

} // namespace tavik
