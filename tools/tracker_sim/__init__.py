"""Tracker server simulator: a local stand-in for the community tracker server.

It serves the tracker's REST endpoints from a synthetic, living data set over plain HTTP
and HTTPS on 127.0.0.1, records every request, and can be told through a small control API
to misbehave in the ways a real server or network does, so that the client can be tested
against all of them. Standard library only.
"""
