"""Shared helpers for the Python tests of plovarn."""

import pytest


class ReadStream:
    """A stream whose read() returns a fixed object and counts its calls."""

    def __init__(self, result):
        self.result = result
        self.calls = 0

    def read(self):
        self.calls += 1
        return self.result


class WriteStream:
    """A stream that records what write() was given; `accept` picks the types it takes."""

    def __init__(self, accept=(str, bytes), error=None):
        self.accept = accept
        self.error = error
        self.written = []

    def write(self, data):
        self.written.append(data)
        if not isinstance(data, self.accept):
            raise self.error if self.error is not None else TypeError("wrong type")
        return len(data)


@pytest.fixture
def read_stream():
    return ReadStream


@pytest.fixture
def write_stream():
    return WriteStream
