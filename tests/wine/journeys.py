"""Reads the journeys of tests/journeys (the format is in its README.md)."""

from dataclasses import dataclass, field
from pathlib import Path


@dataclass
class Journey:
    file_name: str
    way: str = ""
    x11_test: str = ""
    wine_case: str = ""
    only: str = ""
    settings: str = ""
    holds: list = field(default_factory=list)
    script: list = field(default_factory=list)
    steps: list = field(default_factory=list)  # (verb, the rest of the line)

    @property
    def script_name(self):
        return next(line[1:] for line in self.script if line.startswith("{"))

    @property
    def script_text(self):
        return "".join(line + "\r\n" for line in self.script)


def read_journey(path):
    journey = Journey(path.stem, x11_test=f"Journey.{path.stem}", wine_case=path.stem)
    block = None
    for number, line in enumerate(path.read_text().splitlines(), 1):
        text = line.strip()
        if not text or line.startswith("#"):
            continue
        keyword, _, value = text.partition(" ")
        if line[0] == " " and block == "script":
            journey.script.append(text)
        elif line[0] == " " and block == "steps":
            journey.steps.append((keyword, value))
        elif line[0] != " " and keyword in ("script", "steps"):
            block = keyword
        elif line[0] != " " and keyword in ("way", "x11", "wine", "settings"):
            setattr(journey, {"x11": "x11_test", "wine": "wine_case"}.get(keyword, keyword), value)
        elif line[0] != " " and keyword == "only" and value in ("linux", "windows"):
            journey.only = value
        elif line[0] != " " and keyword == "holds":
            journey.holds = value.split()
        else:
            raise ValueError(f"{path}:{number}: not a journey line: {text}")
    return journey


def windows_journeys(folder):
    """The journeys that make sense on the Windows build, by case name."""
    journeys = (read_journey(path) for path in sorted(Path(folder).glob("*.journey")))
    return {journey.wine_case: journey for journey in journeys if journey.only != "linux"}
