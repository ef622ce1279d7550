from __future__ import annotations
import ondrex
__all__: list[str] = ['vectorial_decomp']
def vectorial_decomp(arg0: ondrex.Vector, arg1: ondrex.Vector) -> ondrex.App:
    ...
