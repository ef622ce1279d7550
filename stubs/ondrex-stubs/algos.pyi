from __future__ import annotations
import collections.abc
import ondrex
import typing
__all__: list[str] = ['draw_without_replacement']
def draw_without_replacement(arg0: typing.SupportsInt | typing.SupportsIndex, arg1: typing.SupportsInt | typing.SupportsIndex, arg2: collections.abc.Callable[[ondrex.SetReadOnly], bool | None]) -> None:
    ...
