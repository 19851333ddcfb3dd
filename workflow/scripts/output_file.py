"""The workflow's outputs replaced whole: every script writes a file through
replaced(), so that a failure or an interruption never leaves half a file
or costs the previous one.

A temporary file ".NAME.XXXXXXXX.tmp" (tempfile.mkstemp) in the target's
folder takes the bytes, is flushed, fsync'ed and renamed over the target;
on failure it is removed. The replacement keeps the permission bits of the
file it replaces; a new file gets 0666 less the umask, as open() gives."""

import contextlib
import csv
import os
import re
import shutil
import stat
import tempfile

_TEMPORARY = re.compile(r"\.(.+)\.[A-Za-z0-9_]+\.tmp")


def _mode_for(path):
    try:
        return stat.S_IMODE(os.stat(path).st_mode)
    except FileNotFoundError:
        mask = os.umask(0o022)
        os.umask(mask)
        return 0o666 & ~mask


@contextlib.contextmanager
def replaced(path, binary=False):
    """A file to write `path`'s new content to (text: newlines as written,
    for csv as for plain text; binary: bytes). It replaces `path` once the
    block ends without an exception."""
    folder, name = os.path.split(os.path.abspath(path))
    descriptor, temporary = tempfile.mkstemp(prefix=f".{name}.", suffix=".tmp", dir=folder)
    try:
        with os.fdopen(descriptor, "wb" if binary else "w", **({} if binary else {"newline": ""})) as out:
            yield out
            out.flush()
            os.fchmod(out.fileno(), _mode_for(path))
            os.fsync(out.fileno())
        os.replace(temporary, path)
    except BaseException:
        with contextlib.suppress(FileNotFoundError):
            os.remove(temporary)
        raise


def temporary_of(entry):
    """The name of the file whose temporary `entry` is (as replaced() names
    them), or None."""
    match = _TEMPORARY.fullmatch(entry)
    return match.group(1) if match else None


def write_text(path, text):
    with replaced(path) as out:
        out.write(text)


def write_tsv(path, columns, rows, ignore_extra=False):
    """A header of `columns` and a line each of `rows` (dicts; a missing
    value empty, a key not in `columns` refused unless `ignore_extra`)."""
    with replaced(path) as out:
        table = csv.DictWriter(out, columns, delimiter="\t", lineterminator="\n",
                               extrasaction="ignore" if ignore_extra else "raise")
        table.writeheader()
        table.writerows(rows)


def copy(source, target):
    with open(source, "rb") as data, replaced(target, binary=True) as out:
        shutil.copyfileobj(data, out)


def save_figure(figure, prefix, **options):
    """A matplotlib figure as PREFIX.png and PREFIX.svg (the SVG without a
    date, so that the same figure gives the same bytes)."""
    for extension in ("png", "svg"):
        with replaced(f"{prefix}.{extension}", binary=True) as out:
            figure.savefig(out, format=extension, metadata={"Date": None} if extension == "svg" else None,
                           **options)
