-- RaceTemplate.tmp: the empty race file every new card is copied from.
CREATE TABLE Races (
  RaceNum INTEGER,
  Distance TEXT,
  Grade TEXT,
  RaceDate TEXT
);
CREATE INDEX RacesDateNum ON Races (RaceDate, RaceNum);

CREATE TABLE Posts (
  RaceDate TEXT,
  RaceNum INTEGER,
  Post INTEGER,
  RegName TEXT
);
CREATE INDEX PostsRace ON Posts (RaceDate, RaceNum, Post);
