-- Varnock database: every table the program opens. The build turns this file (and lookup-starter.sql) into
-- Varnock.ABS beside the executable when none is there; the program itself never creates a table or index.
-- Booleans are 0/1, date-times are days since 1899-12-30 as REAL, text(n) columns are cut to n by their writers.

CREATE TABLE AOR8200MemoriesTable_ (
  MemoryBank INTEGER NOT NULL,
  MemoryChannel INTEGER NOT NULL,
  MemoryIsEmpty INTEGER NOT NULL,
  MemoryPassFlag INTEGER NOT NULL,
  MemoryFrequency INTEGER NOT NULL,
  MemoryStepSize INTEGER NOT NULL,
  MemoryAutoMode INTEGER NOT NULL,
  MemoryReceiveMode INTEGER NOT NULL,
  MemoryAttenuatorFlag INTEGER NOT NULL,
  MemoryChannelText VARCHAR(12)
);

CREATE TABLE FrequencyLookupTable_ (
  Frequency INTEGER NOT NULL,
  RxMode INTEGER NOT NULL,
  ShortComment VARCHAR(12) NOT NULL,
  LongComment VARCHAR(255) NOT NULL
);

CREATE TABLE FrequencyLogTable_ (
  Frequency INTEGER NOT NULL,
  LastSquelchDateTime REAL NOT NULL,
  SquelchCount INTEGER NOT NULL,
  SquelchDuration REAL NOT NULL,
  MemoryId VARCHAR(3) NOT NULL,
  ShortComment VARCHAR(12) NOT NULL,
  LongComment VARCHAR(255) NOT NULL
);

CREATE TABLE AOR8200ScanBanksTable_ (
  ScanBank INTEGER NOT NULL,
  ScanBankText VARCHAR(8) NOT NULL,
  ScanBankSize INTEGER NOT NULL
);

CREATE TABLE SearchBankTable_ (
  SearchBank INTEGER NOT NULL,
  SearchBankText VARCHAR(12),
  SearchLowerFrequency INTEGER NOT NULL,
  SearchUpperFrequency INTEGER NOT NULL,
  SearchTuningStepSize INTEGER NOT NULL,
  AutoMode INTEGER NOT NULL,
  MemoryReceiveMode INTEGER NOT NULL,
  AttenuatorIsOn INTEGER NOT NULL,
  IsEmpty INTEGER NOT NULL
);

CREATE TABLE SearchPassFrequenciesTable_ (
  SearchBank INTEGER NOT NULL,
  PassFrequencyIndex INTEGER NOT NULL,
  PassFrequency INTEGER NOT NULL
);

CREATE TABLE ScanGroupTable_ (
  ScanBankIndex INTEGER NOT NULL,
  ScanAudioSquelch INTEGER NOT NULL,
  ScanLevelSquelch INTEGER NOT NULL,
  ScanPause INTEGER NOT NULL,
  ScanDelay INTEGER NOT NULL,
  ScanBankGroup VARCHAR(20) NOT NULL
);

CREATE TABLE SearchGroupTable_ (
  SearchBankIndex INTEGER NOT NULL,
  SearchAudioSquelch INTEGER NOT NULL,
  SearchLevelSquelch INTEGER NOT NULL,
  SearchPause INTEGER NOT NULL,
  SearchDelay INTEGER NOT NULL,
  SearchBankGroup VARCHAR(40) NOT NULL
);

CREATE TABLE SpecialFrequenciesTable_ (
  Frequency INTEGER NOT NULL,
  DisplayColour INTEGER NOT NULL,
  MakeAudioFilesReadOnly INTEGER NOT NULL,
  HoldOnSquelch INTEGER NOT NULL,
  SwitchAudioOn INTEGER NOT NULL
);

CREATE TABLE FrequencyDistributionSeriesTable_ (Abscissa REAL, Ordinate REAL);
CREATE TABLE ActivityChartSquelchSeriesTable_ (Abscissa REAL, Ordinate REAL);
CREATE TABLE ActivityChartActivitySeriesTable_ (Abscissa REAL, Ordinate REAL);

CREATE TABLE OptionsTable_ (
  OptionName VARCHAR(64) NOT NULL,
  OptionValue VARCHAR(255) NOT NULL
);

-- The two named primary indexes.
CREATE UNIQUE INDEX "C_PK$Frequency$ModeType" ON FrequencyLookupTable_ (Frequency, RxMode);
CREATE UNIQUE INDEX "C_PK$Frequency" ON SpecialFrequenciesTable_ (Frequency);

-- One row per key, held by the engine as well as by the writers (they may use INSERT ... ON CONFLICT).
CREATE UNIQUE INDEX MemoriesKey ON AOR8200MemoriesTable_ (MemoryBank, MemoryChannel);
CREATE UNIQUE INDEX FrequencyLogKey ON FrequencyLogTable_ (Frequency);
CREATE UNIQUE INDEX ScanBanksKey ON AOR8200ScanBanksTable_ (ScanBank);
CREATE UNIQUE INDEX SearchBanksKey ON SearchBankTable_ (SearchBank);
CREATE UNIQUE INDEX SearchPassFrequenciesKey ON SearchPassFrequenciesTable_ (SearchBank, PassFrequencyIndex);
CREATE UNIQUE INDEX ScanGroupKey ON ScanGroupTable_ (ScanBankIndex);
CREATE UNIQUE INDEX SearchGroupKey ON SearchGroupTable_ (SearchBankIndex);
CREATE UNIQUE INDEX OptionsKey ON OptionsTable_ (OptionName);
