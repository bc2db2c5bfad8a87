// termios2 is used directly so that every rate of the component, 14400 and 28800 included, can be programmed.
// <asm/termbits.h> and <termios.h> cannot be included together, so this file uses the ioctls only.
#include "serial/posix_port.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace orvane::serial {

namespace {

std::string Reason(int err, const std::string& path) {
  switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return "no such device: " + path;
    case EBUSY:
    case EWOULDBLOCK:
      return "device busy (another program has it open): " + path;
    case EACCES:
    case EPERM:
      return "permission denied: " + path + " (is the user in the 'dialout' group?)";
    default:
      return std::string(std::strerror(err)) + ": " + path;
  }
}

tcflag_t CharacterSize(int dataBits) {
  switch (dataBits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

// The standard rate codes, so that drivers (and tcgetattr) see the usual values; others go as BOTHER.
tcflag_t RateCode(std::uint32_t rate) {
  switch (rate) {
    case 110:
      return B110;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 921600:
      return B921600;
    default:
      return BOTHER;
  }
}

}  // namespace

OpenResult OpenDevice(const std::string& path, const LineSettings& s) {
  OpenResult r;
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    r.reason = Reason(errno, path);
    return r;
  }
  auto fail = [&](std::string why) {
    ::close(fd);
    r.reason = std::move(why);
    return r;
  };
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return fail("not a serial device: " + path);
  // The lock keeps out programs that honour it; TIOCEXCL keeps out every later open() but root's.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(Reason(EBUSY, path));
  struct termios2 tio {};
  if (::ioctl(fd, TCGETS2, &tio) != 0) return fail("not a serial device: " + path);
  if (s.dataBits < 5 || s.dataBits > 8) return fail("4 data bits are not supported by this device: " + path);
  if (::ioctl(fd, TIOCEXCL) != 0) return fail(Reason(errno, path));

  // Raw bytes both ways; breaks and characters with framing or parity errors are dropped by the driver,
  // which is how line errors are cleared without reaching the owner.
  tio.c_iflag &= ~(BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
  tio.c_iflag |= IGNBRK | IGNPAR;
  tio.c_oflag &= ~OPOST;
  tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |=
      CREAD | CLOCAL | CharacterSize(s.dataBits) | RateCode(s.rate) | (RateCode(s.rate) << IBSHIFT);
  switch (s.parity) {
    case 1:
      tio.c_cflag |= PARENB | PARODD;
      break;
    case 2:
      tio.c_cflag |= PARENB;
      break;
    case 3:
      tio.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case 4:
      tio.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  // The UART sends one and a half stop bits when two are asked for with five data bits.
  if (s.stopBits == 1 || s.stopBits == 2) tio.c_cflag |= CSTOPB;
  tio.c_ispeed = tio.c_ospeed = s.rate;
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  // The event and end-of-file characters have no meaning on a raw POSIX line; they are kept by the component.
  if (::ioctl(fd, TCSETS2, &tio) != 0) {
    const int err = errno;
    ::ioctl(fd, TIOCNXCL);
    return fail(Reason(err, path));
  }
  r.fd = fd;
  return r;
}

int OutputQueued(int fd) {
  int n = 0;
  return ::ioctl(fd, TIOCOUTQ, &n) == 0 ? n : 0;
}

void PurgeInput(int fd) {
  ::ioctl(fd, TCFLSH, TCIFLUSH);
}
void PurgeOutput(int fd) {
  ::ioctl(fd, TCFLSH, TCOFLUSH);
}

void CloseDevice(int fd) {
  if (fd < 0) return;
  ::ioctl(fd, TIOCNXCL);
  ::close(fd);
}

}  // namespace orvane::serial
