-- The dog database Data/Data.mdb, shipped empty.
CREATE TABLE Main (
  RegName TEXT COLLATE NOCASE,
  RunningStyle TEXT,
  NumStarts INTEGER,
  NumFirsts INTEGER,
  NumSeconds INTEGER,
  NumThirds INTEGER,
  Comments TEXT
);
CREATE UNIQUE INDEX MainRegName ON Main (RegName COLLATE NOCASE);

CREATE TABLE RaceHistory (
  RegName TEXT COLLATE NOCASE,
  RaceDate TEXT,
  RaceNum INTEGER,
  Distance TEXT,
  WinningTime INTEGER,
  Post INTEGER,
  Break INTEGER,
  Eighth INTEGER,
  Stretch INTEGER,
  Finish INTEGER,
  FinishLength REAL,
  FinishTime INTEGER,
  Odds REAL,
  Grade TEXT
);
CREATE INDEX RaceHistoryRegNameDate ON RaceHistory (RegName, RaceDate);
