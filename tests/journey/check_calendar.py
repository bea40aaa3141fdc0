#!/usr/bin/python3
"""Reads an iCalendar file with Debian's python3-icalendar, as a calendar program would, and
prints one line per event: UID, summary, location, the first line of the description, the
start and end as local times with their zone, and the start in UTC twice: as the zone database
has it, and as the file's own VTIMEZONE has it (the offset of its last onset at or before the
local time, RFC 5545). A line "MISMATCH" follows an event where the two differ."""
import sys
from datetime import timedelta, timezone

import icalendar

with open(sys.argv[1], "rb") as stream:
    calendar = icalendar.Calendar.from_ical(stream.read())

# TZID -> [(onset as a local time of the offset before it, offset from, offset to)]
onsets = {}
for zone in calendar.walk("VTIMEZONE"):
    found = []
    for part in zone.subcomponents:
        found.append((part["DTSTART"].dt, part["TZOFFSETFROM"].td, part["TZOFFSETTO"].td))
    onsets[str(zone["TZID"])] = sorted(found, key=lambda o: o[0] - o[1])


def own_utc(local, zone_id):
    """The UTC time of a local time by the file's VTIMEZONE."""
    offset = None
    for onset, _, after in onsets[zone_id]:
        if local >= onset:
            offset = after
    return (local - offset).replace(tzinfo=timezone.utc)


for event in calendar.walk("VEVENT"):
    start = event["DTSTART"]
    end = event["DTEND"]
    zone_id = start.params["TZID"]
    local = start.dt.replace(tzinfo=None)
    by_database = start.dt.astimezone(timezone.utc)
    by_file = own_utc(local, zone_id)
    description = str(event.get("DESCRIPTION", "")).split("\n")[0]
    print("|".join([
        str(event["UID"]), str(event["SUMMARY"]), str(event.get("LOCATION", "")), description,
        start.dt.strftime("%Y-%m-%d %H:%M") + " " + zone_id,
        end.dt.strftime("%Y-%m-%d %H:%M") + " " + end.params["TZID"],
        by_database.strftime("%Y-%m-%d %H:%MZ"),
    ]))
    if by_database != by_file:
        print("MISMATCH " + by_file.strftime("%Y-%m-%d %H:%MZ"))
